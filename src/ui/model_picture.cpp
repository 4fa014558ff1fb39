#include "model_picture.h"

#include "settings/native_text.h"

#include <algorithm>
#include <cmath>

#include <QImage>
#include <QMouseEvent>
#include <QLabel>
#include <QPixmap>

namespace brikmux {

ModelPicture::ModelPicture(QWidget* parent) : QWidget(parent), m_picture(new QLabel(this)), m_notFound(new QLabel(this))
{
    setObjectName("ModelPicture");
    m_picture->setObjectName("ModelPictureImage");
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setWordWrap(true);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_picture->setStyleSheet(QStringLiteral("background: white; color: black"));
    m_notFound->setObjectName("ModelPictureNotFound");
    m_notFound->setWordWrap(true);
    m_notFound->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    clear();
}

void ModelPicture::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void ModelPicture::layOut()
{
    // The picture above, two lines for the files not found below (and the gap between).
    const int twoLines = m_notFound->fontMetrics()
                             .boundingRect(QRect(0, 0, width(), 1000), Qt::TextWordWrap, QStringLiteral("X\nX"))
                             .height();
    const int notFound = twoLines + 2;
    m_picture->setGeometry(0, 0, width(), std::max(1, height() - notFound));
    m_notFound->setGeometry(0, height() - notFound + 2, width(), notFound - 2);
}

ModelPicture::~ModelPicture()
{
    cancelAll();
}

void ModelPicture::cancelAll()
{
    for (Worker& worker : m_workers) {
        worker.cancel->store(true);
        worker.thread.join();
    }
    m_workers.clear();
}

void ModelPicture::clear()
{
    for (Worker& worker : m_workers) {
        worker.cancel->store(true);
    }
    m_shown = m_asked;
    m_picture->clear();
    m_picture->setAccessibleName(QStringLiteral("No picture"));
    m_notFound->clear();
}

void ModelPicture::draw(const std::string& datPath, const std::string& mainName, const std::string& ldrawPath)
{
    for (Worker& worker : m_workers) {
        worker.cancel->store(true);
    }
    layOut();
    const unsigned job = ++m_asked;
    const QString name = fromNativeText(mainName);
    m_picture->setAccessibleName(QStringLiteral("Drawing %1").arg(name));
    m_model = {datPath, mainName, ldrawPath};
    RenderOptions options;
    options.angle = m_angle;
    options.width = std::max(1, m_picture->contentsRect().width());
    options.height = std::max(1, m_picture->contentsRect().height());
    Worker worker{std::make_shared<std::atomic<bool>>(false), std::make_shared<std::atomic<bool>>(false), {}};
    worker.thread = std::thread([this, job, name, options, datPath, mainName, ldrawPath, cancel = worker.cancel,
                                 done = worker.done] {
        NativeFileSystem fileSystem;
        RenderResult result = RenderModel(mainName, RenderJob{datPath, ldrawPath}, options, fileSystem, cancel.get());
        if (!cancel->load()) {
            QMetaObject::invokeMethod(
                this, [this, job, name, result = std::move(result)]() mutable { show(job, name, std::move(result)); },
                Qt::QueuedConnection);
        }
        done->store(true);
    });
    m_workers.push_back(std::move(worker));
}

void ModelPicture::show(unsigned job, const QString& name, RenderResult result)
{
    if (job != m_asked) {
        return; // a later drawing was asked for
    }
    m_shown = job;
    if (result.status == RenderResult::Status::Drawn) {
        const Picture& p = result.picture;
        const QImage image(p.rgba.data(), p.width, p.height, p.width * 4, QImage::Format_RGBA8888);
        m_picture->setPixmap(QPixmap::fromImage(image));
        m_picture->setAccessibleName(QStringLiteral("Picture of %1").arg(name));
    } else {
        m_picture->setText(fromNativeText(result.failure));
        m_picture->setAccessibleName(QStringLiteral("No picture of %1").arg(name));
    }
    QStringList missing;
    for (const auto& file : result.notFound) {
        missing << fromNativeText(file.name);
    }
    missing.removeDuplicates();
    m_notFound->setText(missing.isEmpty() ? QString()
                                          : QStringLiteral("Not found: ") + missing.join(QStringLiteral(", ")));
    // Threads that have ended are joined now; one still reading its files is left to end.
    std::erase_if(m_workers, [](Worker& worker) {
        const bool ended = worker.done->load();
        if (ended) {
            worker.thread.join();
        }
        return ended;
    });
    emit shown();
}

void ModelPicture::mousePressEvent(QMouseEvent* event)
{
    m_dragFrom = event->position().toPoint();
}

void ModelPicture::mouseReleaseEvent(QMouseEvent* event)
{
    // A drag turns the model: half a degree a pixel, around it sideways, over it up and down.
    const QPoint moved = event->position().toPoint() - m_dragFrom;
    if (moved.manhattanLength() < 3 || m_model.name.empty()) {
        return;
    }
    m_angle.longitude = std::fmod(m_angle.longitude - moved.x() / 2.0, 360.0);
    m_angle.latitude = std::clamp(m_angle.latitude + moved.y() / 2.0, -90.0, 90.0);
    draw(m_model.folder, m_model.name, m_model.library);
}

} // namespace brikmux
