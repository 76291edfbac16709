#include "previewimagedialog.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

PreviewImageDialog::PreviewImageDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
}

PreviewImageDialog::~PreviewImageDialog() = default;

QSize PreviewImageDialog::shownSize(const QSize &image, const QSize &screen)
{
    const QSize largest(screen.width() - 150, screen.height() - 150);
    if (image.width() <= largest.width() && image.height() <= largest.height())
        return image;
    return image.scaled(largest, Qt::KeepAspectRatio);
}

void PreviewImageDialog::setImage(QImage const &image)
{
    const QScreen *shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize size = shownOn ? shownSize(image.size(), shownOn->size()) : image.size();
    QPixmap pixmap = QPixmap::fromImage(image);
    if (size != image.size())
        pixmap = pixmap.scaled(size, Qt::KeepAspectRatio, Qt::FastTransformation);
    labelImage->setPixmap(pixmap);
    adjustSize();
}
