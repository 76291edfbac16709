#include "photodialog.h"

#include "appcontext.h"
#include "workplacelogging.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QKeyEvent>
#include <QSettings>

namespace {

const QString cameraKey = QStringLiteral("CAMERA/Location");

} // namespace

photoDialog::photoDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    m_settings = AppContext::settings();
    const QString preferred = m_settings ? m_settings->value(cameraKey).toString() : QString();
    const QString wanted = preferred.isEmpty() ? QCameraInfo::defaultCamera().deviceName() : preferred;

    const QList<QCameraInfo> cameras = QCameraInfo::availableCameras();
    int chosen = cameras.isEmpty() ? -1 : 0;
    {
        const QSignalBlocker blocker(cbCamera);
        for (int i = 0; i < cameras.size(); ++i) {
            cbCamera->addItem(cameras.at(i).description(), cameras.at(i).deviceName());
            if (cameras.at(i).deviceName() == wanted)
                chosen = i;
        }
        cbCamera->setCurrentIndex(chosen);
    }
    labelNoCamera->setVisible(cameras.isEmpty());
    viewFinder->setVisible(!cameras.isEmpty());
    labelHint->setVisible(!cameras.isEmpty());
    cbCamera->setEnabled(!cameras.isEmpty());
    connect(acShot, &QAction::triggered, this, &photoDialog::makePhoto);
    if (chosen >= 0)
        setCamera(cameras.at(chosen));
}

photoDialog::~photoDialog()
{
    releaseCamera();
}

bool photoDialog::cameraAvailable()
{
    return !QCameraInfo::availableCameras().isEmpty();
}

void photoDialog::releaseCamera()
{
    if (m_capture) {
        m_capture->disconnect(this);
        delete m_capture;
        m_capture = nullptr;
    }
    if (m_camera) {
        m_camera->stop();
        delete m_camera;
        m_camera = nullptr;
    }
}

void photoDialog::setCamera(QCameraInfo info)
{
    releaseCamera();
    if (info.deviceName().isEmpty())
        return;
    m_camera = new QCamera(info, this);
    m_capture = new QCameraImageCapture(m_camera, this);
    // Only the delivered image is used: nothing needs to land in the user's pictures.
    if (m_capture->isCaptureDestinationSupported(QCameraImageCapture::CaptureToBuffer))
        m_capture->setCaptureDestination(QCameraImageCapture::CaptureToBuffer);
    m_camera->setViewfinder(viewFinder);
    m_camera->setCaptureMode(QCamera::CaptureStillImage);
    connect(m_capture, &QCameraImageCapture::imageCaptured, this, &photoDialog::onImageCaptured);
    connect(m_camera, QOverload<QCamera::Error>::of(&QCamera::error), this, [this] {
        qCWarning(lcFiles) << "camera:" << (m_camera ? m_camera->errorString() : QString());
    });
    m_camera->start();
}

void photoDialog::on_cbCamera_currentIndexChanged(int index)
{
    if (m_camera)
        m_camera->stop();
    const QCameraInfo info(cbCamera->itemData(index).toString().toUtf8());
    setCamera(info);
    if (m_settings)
        m_settings->setValue(cameraKey, info.deviceName());
}

void photoDialog::makePhoto()
{
    if (!m_camera || !m_capture) {
        reject();
        return;
    }
    m_capture->capture();
}

void photoDialog::onImageCaptured(int id, QImage const &image)
{
    Q_UNUSED(id)
    m_image = image;
    accept();
}

void photoDialog::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && !event->isAutoRepeat()) {
        makePhoto();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void photoDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QDialog::changeEvent(event);
}
