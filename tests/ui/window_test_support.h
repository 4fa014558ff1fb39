#pragma once

#include "settings/settings_store.h"
#include "ui/file_open_dialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace brikmux::testing {

// Answers file-open dialogs from a script and records what each was shown with.
class ScriptedFileDialog final : public FileOpenDialog {
public:
    std::deque<std::optional<FileOpenChoice>> choices;
    std::vector<FileOpenRequest> requests;

    std::optional<FileOpenChoice> open(QWidget*, const FileOpenRequest& request) override
    {
        requests.push_back(request);
        if (choices.empty()) {
            return std::nullopt;
        }
        auto choice = choices.front();
        choices.pop_front();
        return choice;
    }
};

// Forgets every stored setting.
inline void clearStore()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brikmux", "Brikmux").clear();
}

// The names of the program's windows that are still shown; a test must leave none.
inline QStringList windowsLeftOpen()
{
    QStringList open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            open << widget->objectName();
        }
    }
    return open;
}

inline std::string stored(const char* section, const char* key)
{
    return SettingsStore().GetSetting(kAppName, section, key, "<absent>");
}

inline void store(const char* section, const char* key, const std::string& value)
{
    SettingsStore().SaveSetting(kAppName, section, key, value);
}

// The folder that a folder field holds when nothing else is known: the home folder, or "C:\" on
// Windows.
inline std::string defaultFolderField()
{
#ifdef _WIN32
    return "C:\\";
#else
    return QDir::homePath().toStdString() + "/";
#endif
}

// A path written with "/" in the platform's own form.
inline std::string native(std::string path)
{
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

// The child of window with that object name; the test stops when there is none.
template <typename T> T* control(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(name);
    if (found == nullptr) {
        qFatal("no control %s", name);
    }
    return found;
}

// The captions and pictures of parent's labels and buttons that do not fit their control (a
// wrapping label may take more lines; a button keeps a few pixels of frame); empty when all fit.
inline QStringList captionsThatDoNotFit(const QWidget& parent)
{
    QStringList cut;
    for (const QLabel* label : parent.findChildren<QLabel*>()) {
        const QFontMetrics metrics = label->fontMetrics();
        const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                            : metrics.horizontalAdvance(label->text()) <= label->width() &&
                                                  metrics.height() <= label->height();
        const bool pictureFits = label->pixmap().isNull() || (label->pixmap().width() <= label->width() &&
                                                              label->pixmap().height() <= label->height());
        if (!fits || !pictureFits) {
            cut << label->objectName() + ": " + label->text();
        }
    }
    for (const QPushButton* button : parent.findChildren<QPushButton*>()) {
        if (button->fontMetrics().horizontalAdvance(button->text()) + 6 > button->width()) {
            cut << button->objectName() + ": " + button->text();
        }
    }
    return cut;
}

// The parts that reach past bounds or overlap another part, by name; empty when none does.
inline QStringList partsOutOfPlace(const QList<QWidget*>& parts, const QRect& bounds)
{
    QStringList misplaced;
    for (const QWidget* a : parts) {
        for (const QWidget* b : parts) {
            if ((a == b && !bounds.contains(a->geometry())) || (a != b && a->geometry().intersects(b->geometry()))) {
                misplaced << a->objectName() + " " + b->objectName();
            }
        }
    }
    return misplaced;
}

// Hands every modal window that opens while it lives to answer, one at a time, from the event
// loop, and closes it if answer did not (a failed check inside answer returns early). Counts the
// windows it answered.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget&)> answer) : m_answer(std::move(answer))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal != m_last) {
                // A window opened later may take the same address once this one is gone.
                m_last = modal;
                QObject::connect(modal, &QObject::destroyed, &m_timer, [this] { m_last = nullptr; });
                ++count;
                m_answer(*modal);
                if (QApplication::activeModalWidget() == modal) {
                    modal->close();
                }
            }
        });
        m_timer.start(5);
    }
    int count = 0;

private:
    std::function<void(QWidget&)> m_answer;
    QTimer m_timer;
    QWidget* m_last = nullptr;
};

} // namespace brikmux::testing
