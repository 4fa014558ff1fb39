#pragma once

#include "render/render.h"

#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QLabel;

namespace brikmux {

// The picture of a model beside the window's form, drawn on a worker thread so that the window
// never waits for it, with the files found nowhere named under it.
class ModelPicture final : public QWidget {
    Q_OBJECT

public:
    explicit ModelPicture(QWidget* parent = nullptr);
    // Cancels the drawings under way and waits for them to stop.
    ~ModelPicture() override;

    // Draws the model mainName (a model or an MPD) of the folder datPath with the library at
    // ldrawPath; a drawing under way is cancelled, its picture never shown.
    void draw(const std::string& datPath, const std::string& mainName, const std::string& ldrawPath);
    // Shows nothing.
    void clear();
    // True while the last drawing asked for has not been shown.
    bool busy() const { return m_shown != m_asked; }

    QLabel* picture() const { return m_picture; }
    QLabel* notFound() const { return m_notFound; }

    // The angle the model is seen from: LDraw viewers' opening view until the user drags it.
    const ViewAngle& angle() const { return m_angle; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

signals:
    // A drawing has been shown.
    void shown();

private:
    struct Worker {
        std::shared_ptr<std::atomic<bool>> cancel;
        std::shared_ptr<std::atomic<bool>> done;
        std::thread thread;
    };

    void layOut();
    void show(unsigned job, const QString& name, RenderResult result);
    void cancelAll();

    QLabel* m_picture;
    QLabel* m_notFound;
    std::vector<Worker> m_workers;
    unsigned m_asked = 0; // the drawings asked for
    unsigned m_shown = 0; // the one shown last
    struct {
        std::string folder;
        std::string name;
        std::string library;
    } m_model; // the model drawn last
    ViewAngle m_angle;
    QPoint m_dragFrom;
};

} // namespace brikmux
