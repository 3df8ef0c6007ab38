#pragma once
// A column of a list and a row of a list. Rows belong to a ListModel, which
// creates and destroys them; a row's pointer stays valid until the row is
// removed or the list is cleared.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <Qt>

class ListModel;
class ListView;

struct ColumnHeader
{
    QString key;
    QString text;
    int width = 100; // pixels
    Qt::Alignment alignment = Qt::AlignLeft;
    QString iconKey; // picture of the list's image list shown in the header
};

class ListItem
{
public:
    ListItem(const ListItem&) = delete;
    ListItem& operator=(const ListItem&) = delete;

    // Unique within its list; "" for a row without a key.
    QString key() const { return m_key; }

    QString text() const { return m_text; }
    void setText(const QString& text);

    // Key of the row's picture in the list's image list.
    QString smallIcon() const { return m_smallIcon; }
    void setSmallIcon(const QString& imageKey);

    // The text in the column with that key; the first column is the row's
    // text. An unknown column reads as "" and is not written.
    QString subItem(const QString& columnKey) const;
    void setSubItem(const QString& columnKey, const QString& text);

    bool selected() const { return m_selected; }
    void setSelected(bool selected);

    // The value the row was built from, so that nobody reads it back out of
    // the cells' text; never shown.
    QVariant data() const { return m_data; }
    void setData(const QVariant& data) { m_data = data; }

    // The row's tick box.
    bool checked() const { return m_checked; }
    void setChecked(bool checked);

    // 0-based position in the list's current order.
    int index() const { return m_row; }

    // Scrolls the list so that the row can be seen.
    void ensureVisible();

    ListView* listView() const;

private:
    friend class ListModel;
    friend class ListView;
    ListItem(ListModel* model, const QString& key, const QString& text, const QString& smallIcon);

    // Text shown in a column, by the column's position.
    QString textAt(int column) const;
    void setTextAt(int column, const QString& text);

    ListModel* m_model;
    QString m_key;
    QString m_text;
    QString m_smallIcon;
    QStringList m_subItems; // columns 1.., grown on demand
    QVariant m_data;
    int m_row = 0;
    bool m_selected = false;
    bool m_checked = false;
};
