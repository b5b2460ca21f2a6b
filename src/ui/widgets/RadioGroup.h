#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace nimbar {

// A titled group of radio buttons addressed by item index, -1 for none.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, int columns,
               QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    int count() const;

signals:
    // The user clicked an item (not emitted by setItemIndex).
    void clicked(int index);

private:
    QButtonGroup* m_buttons;
};

} // namespace nimbar
