#ifndef PREVIEWIMAGEDIALOG_H
#define PREVIEWIMAGEDIALOG_H

#include "dealsglobal.h"
#include "ui_previewimagedialog.h"

#include <QDialog>
#include <QSize>

// Shows an image before it is attached, so the user can accept or refuse it.
class DEALS_EXPORT PreviewImageDialog : public QDialog, private Ui::PreviewImageDialog
{
    Q_OBJECT

public:
    explicit PreviewImageDialog(QWidget *parent = nullptr);
    ~PreviewImageDialog() override;

    void setImage(QImage const &image);
    // The size an image is shown at on a screen of this size: its own, or
    // scaled down with its aspect ratio to 150 pixels less than the screen each way.
    static QSize shownSize(const QSize &image, const QSize &screen);
};

#endif // PREVIEWIMAGEDIALOG_H
