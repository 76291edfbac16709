#include "packinglistpreview.h"

#include "reportwidget.h"

#include <QApplication>
#include <QEventLoop>

#include <memory>

reportWidget *PackingListPreview::create(const QString &form)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto *preview = new reportWidget;
    preview->setHTMLContent(form.toUtf8());
    QApplication::restoreOverrideCursor();
    preview->setWindowTitle(QStringLiteral("Упаковочный лист"));
    return preview;
}

void PackingListPreview::exec(const QString &form)
{
    if (form.isEmpty())
        return;
    const std::unique_ptr<reportWidget> preview(create(form));
    preview->setWindowModality(Qt::ApplicationModal);
    preview->showMaximized();
    QEventLoop loop;
    QObject::connect(preview.get(), &reportWidget::closed, &loop, &QEventLoop::quit);
    loop.exec();
}
