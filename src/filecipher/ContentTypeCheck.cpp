#include "filecipher/ContentTypeCheck.h"

#include "filecipher/TextContentCheck.h"

#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <magic.h>

#include <memory>

namespace {

// The media types that the type database reports for each extension's
// content. Container formats whose inner type shows only after the first
// entries (office documents) also accept the plain container.
const QHash<QString, QStringList> &typesByExtension()
{
    static const QHash<QString, QStringList> types = [] {
        const QStringList zip = {"application/zip", "application/x-zip-compressed"};
        const QStringList office =
            zip + QStringList{"application/vnd.openxmlformats-officedocument.",
                              "application/vnd.ms-excel", "application/vnd.ms-powerpoint",
                              "application/msword"};
        const QStringList open = zip + QStringList{"application/vnd.oasis.opendocument."};
        const QStringList mp4 = {"video/mp4",          "audio/x-m4a", "audio/mp4",
                                 "video/quicktime",    "video/3gpp",  "video/x-m4v",
                                 "audio/x-hx-aac-adts"};
        const QStringList exe = {"application/x-dosexec",
                                 "application/vnd.microsoft.portable-executable",
                                 "application/x-msdownload"};
        return QHash<QString, QStringList>{
            {"pdf", {"application/pdf"}},
            {"png", {"image/png"}},
            {"jpg", {"image/jpeg"}},
            {"jpeg", {"image/jpeg"}},
            {"gif", {"image/gif"}},
            {"zip", zip},
            {"docx", office},
            {"xlsx", office},
            {"pptx", office},
            {"odt", open},
            {"ods", open},
            {"odp", open},
            {"gz", {"application/gzip", "application/x-gzip"}},
            {"bz2", {"application/x-bzip2"}},
            {"xz", {"application/x-xz"}},
            {"7z", {"application/x-7z-compressed"}},
            {"mp3", {"audio/mpeg", "audio/x-mp3", "audio/mp3"}},
            {"mp4", mp4},
            {"m4a", mp4},
            {"mov", mp4},
            {"webp", {"image/webp"}},
            {"bmp", {"image/bmp", "image/x-ms-bmp"}},
            {"tif", {"image/tiff"}},
            {"tiff", {"image/tiff"}},
            {"rar", {"application/x-rar", "application/vnd.rar", "application/x-rar-compressed"}},
            {"ogg", {"audio/ogg", "video/ogg", "application/ogg", "audio/x-vorbis+ogg"}},
            {"flac", {"audio/flac", "audio/x-flac"}},
            {"wav", {"audio/x-wav", "audio/wav", "audio/vnd.wave"}},
            {"exe", exe},
            {"dll", exe},
        };
    }();
    return types;
}

// An MPEG audio frame starts with eleven set bits, a layer other than the
// reserved one and a bit rate index other than "bad". Files without a tag
// start right with a frame, which the type database does not always report.
bool startsWithMpegAudioFrame(QByteArrayView head)
{
    if (head.size() < 4)
        return false;
    const auto byte = [&](int at) { return static_cast<unsigned char>(head[at]); };
    return byte(0) == 0xff && (byte(1) & 0xe0) == 0xe0 && (byte(1) & 0x06) != 0 &&
           (byte(2) & 0xf0) != 0xf0 && (byte(1) & 0x18) != 0x08;
}

struct MagicCloser
{
    void operator()(magic_t cookie) const { magic_close(cookie); }
};

// One database per thread: a cookie must not be shared between threads.
magic_t typeDatabase()
{
    thread_local std::unique_ptr<std::remove_pointer_t<magic_t>, MagicCloser> cookie = [] {
        std::unique_ptr<std::remove_pointer_t<magic_t>, MagicCloser> opened(
            magic_open(MAGIC_MIME_TYPE));
        if (opened && magic_load(opened.get(), nullptr) != 0)
            opened.reset();
        return opened;
    }();
    return cookie.get();
}

} // namespace

ContentFit contentFitsName(const QString &fileName, QByteArrayView head)
{
    if (TextContentCheck::namePromisesText(fileName)) {
        const bool cutShort = head.size() >= contentHeadSize;
        head = head.first(std::min(head.size(), contentHeadSize));
        return TextContentCheck::readsAsText(head, cutShort) ? ContentFit::Fits
                                                             : ContentFit::DoesNotFit;
    }
    const QString extension = QFileInfo(fileName).suffix().toLower();
    const auto found = typesByExtension().constFind(extension);
    if (found == typesByExtension().constEnd())
        return ContentFit::Unknown;
    head = head.first(std::min(head.size(), contentHeadSize));
    if (head.isEmpty())
        return ContentFit::DoesNotFit;
    if (extension == QLatin1String("mp3") && startsWithMpegAudioFrame(head))
        return ContentFit::Fits;

    magic_t database = typeDatabase();
    if (!database)
        return ContentFit::Unknown;
    const char *reported = magic_buffer(database, head.data(), std::size_t(head.size()));
    if (!reported)
        return ContentFit::Unknown;
    const QString type = QString::fromLatin1(reported);
    for (const QString &accepted : *found) {
        // Entries ending in '.' name a family of types.
        if (accepted.endsWith('.') ? type.startsWith(accepted) : type == accepted)
            return ContentFit::Fits;
    }
    return ContentFit::DoesNotFit;
}
