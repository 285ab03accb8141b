#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPixmap;
class QPushButton;
class QVBoxLayout;

// One tile of the pictures tab: a thumbnail with a check box under it. While the mouse is over
// the tile the thumbnail is darkened and a remove button appears in its top-right corner.
class QImageViewerItem : public QWidget
{
    Q_OBJECT

signals:
    void resized(QLabel *p_Label);
    void removeRequest(QImageViewerItem *p_Item);
    void checked(QImageViewerItem *p_Item);
    void unchecked(QImageViewerItem *p_Item);

public slots:
    void setImage(QPixmap *p_Pixmap);
    QLabel *getImageLabel() const { return imageLabel; }
    void removeClicked();
    void checkClicked(bool p_Checked);
    void setFileName(QString p_FileName) { fileName = std::move(p_FileName); }
    QString getFileName() const { return fileName; }
    bool isChecked() const { return m_checked; }
    void retranslate();
    void setChecked(bool p_Checked = true);

public:
    explicit QImageViewerItem(QWidget *parent = nullptr);

    // The look of the shade and the remove button, for the widget that holds the tiles: one sheet
    // there costs far less than one per tile.
    static QString gridStyleSheet();

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeOverThumbnail();

    QVBoxLayout *mainLayout = nullptr;
    QWidget *shade = nullptr;
    QLabel *imageLabel = nullptr;
    QPushButton *removeButton = nullptr;
    QString fileName;
    bool initialised = false;
    bool m_checked = false;
    QCheckBox *checkBox = nullptr;
};
