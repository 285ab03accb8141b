#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>

// A node of the library tree (category, subcategory or message) and an entry of a flash session,
// which is either a library message or a picture.
//
// A node owns its children: deleting it deletes its subtree. A node taken out of its parent's
// children belongs to whoever took it, and a session owns its picture entries.
class MessageItem : public QObject
{
    Q_OBJECT

public:
    // Kind of a session entry that holds a picture; any other value is a text entry.
    static constexpr int PictureType = 3;

    explicit MessageItem(QObject *parent = nullptr);
    ~MessageItem() override;

    QString text() const { return m_text; }
    void setText(const QString &text) { m_text = text; }

    int checkState() const { return m_checkState; }
    void setCheckState(int state) { m_checkState = state; }
    bool isChecked() const { return m_checkState == Qt::Checked; }
    void setChecked(bool checked) { m_checkState = checked ? Qt::Checked : Qt::Unchecked; }

    MessageItem *child(int index) const { return m_children.at(index); }
    int childCount() const { return m_children.size(); }
    QList<MessageItem *> &children() { return m_children; }
    const QList<MessageItem *> &children() const { return m_children; }
    void addChild(MessageItem *item) { m_children.append(item); }

    // Set every descendant (not the node itself) to checked / unchecked.
    void checkAll();
    void uncheckAll();

    QPixmap pixmap() const { return m_pixmap; }
    // Makes the entry a picture entry.
    void setPixmap(const QPixmap &pixmap);

    int type() const { return m_type; }
    void setType(int type) { m_type = type; }

private:
    void setAllDescendants(int state);

    int m_checkState = Qt::Unchecked;
    QList<MessageItem *> m_children;
    QPixmap m_pixmap;
    QString m_text;
    int m_type = 0;
};
