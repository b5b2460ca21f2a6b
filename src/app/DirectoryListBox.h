#pragma once

#include <QListWidget>

namespace nimbar {

// Lists the parent entry and the subdirectories of the current directory; activating an
// entry moves into it.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    QString directory() const { return m_directory; }
    void setDirectory(const QString& path);

signals:
    void directoryChanged(const QString& path);

private:
    void enter(QListWidgetItem* item);

    QString m_directory;
};

} // namespace nimbar
