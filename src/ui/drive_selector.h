#pragma once

#include <QComboBox>

#include <functional>
#include <string>
#include <vector>

namespace brikmux {

// Chooses among the mounted, ready volumes, shown by their root paths. onChange runs whenever
// the selected volume changes, by the user or by setDrive, before the change returns.
class DriveSelector final : public QComboBox {
    Q_OBJECT

public:
    explicit DriveSelector(QWidget* parent = nullptr);

    // The selected volume's root, as a folder the directory browser accepts.
    std::string Drive() const;
    // Selects the volume that holds path: the one whose root is its longest prefix.
    void setDrive(const std::string& path);

    std::function<void()> onChange;

private:
    std::vector<std::string> m_roots;
};

} // namespace brikmux
