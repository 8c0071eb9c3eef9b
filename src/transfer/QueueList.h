#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

class FileListView;
class WindowContext;

// The queue list lvwStatus: one row for every item a download, an upload or
// a delete processed in this run (outcome, local path, size, direction,
// remote path, host). Rows are never changed once added; the user sorts them
// by a column and deletes them. Nothing is kept between runs.
class QueueList : public QObject
{
    Q_OBJECT
public:
    // Outcomes, as the first column shows them.
    static inline const QString Downloaded = QStringLiteral("Download");
    static inline const QString Uploaded = QStringLiteral("上传");
    static inline const QString UploadRefused = QStringLiteral("上传被拒绝");
    static inline const QString Failed = QStringLiteral("错误");
    static inline const QString Deleted = QStringLiteral("删除");
    static inline const QString RemoteDeleteRefused = QStringLiteral("删除被拒绝");
    static inline const QString LocalDeleteRefused = QStringLiteral("删除操作被拒绝");
    static inline const QString DownloadDirection = QStringLiteral("<--");
    static inline const QString UploadDirection = QStringLiteral("-->");

    QueueList(WindowContext &context, FileListView *lvwStatus, QObject *parent = nullptr);

    // `size` in bytes, -1 where none is shown (a folder, a delete of a
    // link).
    void AddQueueRow(const QString &status, const QString &local, qint64 size,
                     const QString &direction, const QString &remote, const QString &host);
    // Asks, then removes the selected rows.
    void DeleteQueueEntries();
    // Selects every row, then asks and removes them.
    void mnuStatusClear_Click();
    void mnuStatusDel_Click() { DeleteQueueEntries(); }

private:
    void lvwStatus_GotFocus();
    void lvwStatus_KeyUp(int key);
    void lvwStatus_MouseUp(Qt::MouseButton button, const QPoint &globalPos);
    void lvwStatus_ColumnClick(int section);

    WindowContext &ctx;
    FileListView *lvwStatus;
};
