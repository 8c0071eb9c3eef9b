#pragma once

#include <QHash>
#include <QPixmap>
#include <QStatusBar>
#include <QStringList>

class QLabel;
class QProgressBar;

// sbStatusBar: five keyed panels (transfer progress, amount transferred,
// file name, file size and the transfer state picture) with the progress bar
// Progress1 laid over the first panel.
class StatusPanels : public QStatusBar
{
    Q_OBJECT
public:
    // The first panel's key is the word Progress in double quotes.
    static const QString ProgressKey;

    // Pictures of the panel "Status", numbered like the image list AbortImglist.
    enum Picture
    {
        NoPicture = 0,
        Stopped = 1,
        Closed = 2,
        Connected = 3
    };

    explicit StatusPanels(QWidget *parent = nullptr);

    QStringList keys() const { return panelKeys; }
    QLabel *panel(const QString &key) const { return panels.value(key); }
    QString panelText(const QString &key) const;
    void setPanelText(const QString &key, const QString &text);

    int statusPicture() const { return picture; }
    void setStatusPicture(int image);

    QProgressBar *progress() const { return Progress1; }
    // Lays Progress1 over the first panel, right of its caption.
    void PlaceProgress();

    // Progress1's scale in bytes. Files past 4 GiB are ordinary, so the bar
    // itself shows value / maximum on a fixed range of its own.
    qint64 progressMaximum() const { return maximum; }
    qint64 progressValue() const { return value; }
    void setProgressMaximum(qint64 bytes);
    void setProgressValue(qint64 bytes);

    // The item in hand in the panels "FileName" (its first 15 characters and
    // "..." when longer) and "FileSize" ("实际大小:" and the size; none for a
    // negative size). An empty text and no size clear both.
    void ShowTransferFile(const QString &text, qint64 size = -1);
    // A byte count as shown: "" up to 0, "n B" up to 1000, then "n.n KB" up to
    // 1024 KB, then "n.n MB".
    static QString FormatSize(qint64 bytes);

Q_SIGNALS:
    void panelDoubleClicked(const QString &key);
    // Progress1 went back to 0: what it followed has ended (or starts anew).
    void progressCleared();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void addPanel(const QString &key, const QString &text, const QString &toolTip, int widthTwips,
                  int stretch);

    QStringList panelKeys;
    QHash<QString, QLabel *> panels;
    void showProgress();

    QProgressBar *Progress1;
    int picture = NoPicture;
    QHash<int, QPixmap> drawnPictures;
    int drawnSide = 0;
    qint64 maximum = 100;
    qint64 value = 0;
};
