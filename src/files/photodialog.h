#ifndef PHOTODIALOG_H
#define PHOTODIALOG_H

#include "dealsglobal.h"
#include "ui_photodialog.h"

#include <QCameraInfo>
#include <QDialog>
#include <QImage>

class QCamera;
class QCameraImageCapture;
class QSettings;

// Takes a still picture from a camera of the workstation: Space (or "Фото")
// shoots, the dialog closes with the picture. The chosen camera is remembered
// in the local settings ("CAMERA/Location"). Without a camera the dialog says
// so and shooting closes it with nothing.
class DEALS_EXPORT photoDialog : public QDialog, private Ui::photoDialog
{
    Q_OBJECT

public:
    explicit photoDialog(QWidget *parent = nullptr);
    ~photoDialog() override;

    QImage getImage() const { return m_image; }
    bool hasCamera() const { return m_camera != nullptr; }
    static bool cameraAvailable();

    void makePhoto();
    void setCamera(QCameraInfo info);

public Q_SLOTS:
    void on_cbCamera_currentIndexChanged(int index);
    void onImageCaptured(int id, QImage const &image);

protected:
    void changeEvent(QEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void releaseCamera();

    QCamera *m_camera = nullptr;
    QCameraImageCapture *m_capture = nullptr;
    QImage m_image;
    QSettings *m_settings = nullptr;
};

#endif // PHOTODIALOG_H
