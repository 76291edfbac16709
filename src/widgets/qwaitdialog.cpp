#include "qwaitdialog.h"
#include "ui_qwaitdialog.h"

QWaitDialog::QWaitDialog(const QString &text, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint)
    , ui(new Ui::QWaitDialog)
{
    ui->setupUi(this);
    QFont dialogFont = font();
    dialogFont.setPointSize(11);
    setFont(dialogFont);
    setText(text);
    ui->chaseWidget->setAnimated(true);
}

QWaitDialog::~QWaitDialog()
{
    delete ui;
}

void QWaitDialog::setText(const QString &text)
{
    m_text = text;
    ui->lbText->setText(text);
}

void QWaitDialog::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange)
        return;
    // Retranslating restores the form's own texts; the caller's message must survive it.
    ui->retranslateUi(this);
    ui->lbText->setText(m_text);
}
