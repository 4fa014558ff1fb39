#pragma once

#include <QDialog>

#include <array>

class QLabel;

namespace brikmux {

// The About box: the program's name, what it does, its version and its makers. A click anywhere
// on it closes it.
class BrikmuxAbout final : public QDialog {
    Q_OBJECT

public:
    // Creates the box over owner, centred on it.
    explicit BrikmuxAbout(QWidget& owner);

    QLabel* text(int index) const { return AboutText.at(static_cast<std::size_t>(index)); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Follows the left button on target; true when event ends a click on it: released over the
    // part it was pressed on.
    bool completesClick(QWidget& target, QMouseEvent& event);

    void Form_Load();
    void Form_Click();
    void AboutText_Click(int index);
    void ZELKLogo_Click();

    QWidget& m_owner;
    QLabel* ZELKLogo = nullptr;
    std::array<QLabel*, 4> AboutText{};
    QLabel* Image1 = nullptr;
    QWidget* m_pressedOn = nullptr;
};

// "Version " followed by the program's major, minor and patch numbers.
QString versionLine();

} // namespace brikmux
