#pragma once

#include <QDialog>
#include <QFileDevice>

// Korvu's properties sheet for a local file or folder: name, kind, place,
// size, times, owner and permissions.
class FilePropertiesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FilePropertiesDialog(const QString &path, QWidget *parent = nullptr);

    // "rwxr-x---" style text of the permissions.
    static QString permissionText(QFileDevice::Permissions permissions);
};
