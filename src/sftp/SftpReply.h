#pragma once

#include "sftp/SftpAttributes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QVector>

struct SftpPacket;

// One entry of an SSH_FXP_NAME reply.
struct SftpNameItem
{
    QByteArray name;
    QByteArray longName;
    SftpAttributes attributes;
};

// A server's reply, decoded by its type. `data` and `extended` point into
// the packet reader's buffer, like the packet they came from.
struct SftpReply
{
    quint8 type = 0;
    quint32 id = 0;
    // SSH_FXP_STATUS
    quint32 status = 0;
    QByteArray message;
    // SSH_FXP_HANDLE
    QByteArray handle;
    // SSH_FXP_DATA
    QByteArrayView data;
    // SSH_FXP_NAME
    QVector<SftpNameItem> names;
    // SSH_FXP_ATTRS
    SftpAttributes attributes;
    // SSH_FXP_EXTENDED_REPLY: the rest of the packet
    QByteArrayView extended;

    // False for a reply of an unknown type, or whose fields do not fit its
    // packet (truncated, a count larger than what follows). A STATUS
    // without its message (as version 3 servers of old send it) is read.
    static bool decode(const SftpPacket &packet, SftpReply &reply);
};

// SSH_FXP_VERSION: the version the server speaks and its extensions.
struct SftpVersionReply
{
    quint32 version = 0;
    QVector<QPair<QByteArray, QByteArray>> extensions;

    static bool decode(const SftpPacket &packet, SftpVersionReply &reply);
};

// The reply to "limits@openssh.com"; 0 where the server sets no limit.
struct SftpLimits
{
    quint64 maxPacketLength = 0;
    quint64 maxReadLength = 0;
    quint64 maxWriteLength = 0;
    quint64 maxOpenHandles = 0;

    static bool decode(QByteArrayView extended, SftpLimits &limits);
};
