#pragma once

// How the site sends the files that downloads fetch: whole, or the one byte
// range a request asks for (206, Content-Range; 416 past the end), and, when
// told so, slowly, cutting a connection once, or ignoring ranges as some
// servers do. It counts the bytes of files it sends.

#include <QByteArray>
#include <QHttpServerResponse>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

class QHttpServerRequest;
class QHttpServerResponder;

// What tests may set, and what the site counts.
struct FileSending
{
    qint64 bytesPerSecond = 0; // for each answer; 0 for as fast as it goes
    qint64 dropAfter = -1;     // the connection that takes bytesSent past this is cut, once
    bool ranges = true;        // false: every request gets the whole file
    qint64 bytesSent = 0;      // the bytes of files written so far
};

// A file to send: the file at `path` when set, else `bytes`.
struct SentFile
{
    QByteArray mimeType;
    QString path;
    QByteArray bytes;
};

// What an answer to a file request is: a file, or a page (not found, ...).
using FileOrPage = std::variant<SentFile, QHttpServerResponse>;

// The part of a file of `size` bytes that a Range header asks for.
struct ByteRange
{
    enum Kind { Whole, Part, Unsatisfiable };
    Kind kind = Whole;
    qint64 first = 0;
    qint64 length = 0;
};
// Only one range is honoured; several, or one that cannot be read, mean the
// whole file, as the header allows.
ByteRange rangeOf(const QByteArray &header, qint64 size);

// Answers a GET (or, with `headOnly`, a HEAD) with the file; the bytes go
// out as the connection takes them and as `sending` allows.
void sendFile(const SentFile &file, const QHttpServerRequest &request, QHttpServerResponder &&responder,
              const std::shared_ptr<FileSending> &sending, bool headOnly);
