// The file system of one volume, through its IVdsVolumeMF: read its
// properties, format it, add, list and remove its access paths, list the
// volumes mounted into it, mount and dismount it, and set its flags.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "commands/file_system_requests.h"
#include "commands/target_call.h"
#include "directory/record_builder.h"
#include "platform/co_task_mem.h"
#include "protocol/framing.h"
#include "protocol/identifiers.h"
#include "protocol/log_output.h"
#include "protocol/text_convert.h"

namespace {

constexpr const char* kVolumeTrace = "VDS: Volume ID %s\n";

constexpr int kFileSystemRecordFixed = 48;
constexpr int kListCountOffset = 12;
constexpr std::size_t kListEntriesOffset = 16;
constexpr std::size_t kReparseEntryFixed = 18;
// Each reparse entry is counted at 20 bytes plus its path, though it takes
// 18: the reply ends in two zero bytes per entry.
constexpr std::size_t kReparseEntryCounted = 20;

ChangeLookup volumeTarget(const GUID& id) { return {VDS_OT_VOLUME, id}; }

// The one IVdsVolumeMF call of a command on the volume the request names.
template <typename Call>
Outcome fileSystemCall(IVdsService* service, const GUID& volume, Call&& call) {
    return vdsCallOnTarget<IVdsVolumeMF>(service, volumeTarget(volume), {}, call);
}

// A command on the volume its request names; `call` receives the volume's
// file-system interface and the request.
template <typename Request, typename Call>
Answer fileSystemCommand(const Request& r, IVdsService* service, Call&& call) {
    vdsLogId(kVolumeTrace, r.volume);
    return fileSystemCall(service, r.volume, [&](IVdsVolumeMF& mf) { return call(mf, r); });
}

// The path of an entry that a query hands back.
LPWSTR pathOf(LPWSTR entry) { return entry; }
LPWSTR pathOf(const VDS_REPARSE_POINT_PROP& entry) { return entry.pwszPath; }

// Owns an array that a query hands back, and the path in each entry.
template <typename Entry>
struct QueriedArray {
    CoTaskMemArray<Entry> items;
    LONG count = 0;
    QueriedArray() = default;
    QueriedArray(const QueriedArray&) = delete;
    QueriedArray& operator=(const QueriedArray&) = delete;
    ~QueriedArray() {
        for (LONG i = 0; i < size(); ++i) CoTaskMemFree(path(i));
    }
    LONG size() const { return items && count > 0 ? count : 0; }
    LPWSTR path(LONG i) const { return pathOf(items[static_cast<std::size_t>(i)]); }
};

using AccessPaths = QueriedArray<LPWSTR>;
using ReparsePoints = QueriedArray<VDS_REPARSE_POINT_PROP>;

// How a list reply places its entries: each a fixed head, then its path.
struct ListShape {
    std::size_t head;
    // What the reply length counts per entry besides the path.
    std::size_t counted;
    // The longest path the head's length field states.
    std::size_t longestPath;
};

// A list of a volume's paths: the query, then the count at 12 and the
// entries from 16, each head written by `writeHead(at, index, pathLength)`.
template <typename Found, typename Query, typename WriteHead>
Answer volumeList(const FileSystemVolumeRequest& r, IVdsService* service, const ListShape& shape, Query&& query,
                  WriteHead&& writeHead) {
    vdsLogId(kVolumeTrace, r.id);
    Found found;
    const Outcome o =
        fileSystemCall(service, r.id, [&](IVdsVolumeMF& mf) { return vdsCallOutcome(query(mf, found)); });
    if (!o.succeeded()) return o;
    const LONG count = found.size();
    // A path the service leaves null is empty text.
    std::vector<std::unique_ptr<NarrowText>> texts;
    std::vector<std::size_t> lengths;
    std::size_t size = kListEntriesOffset;
    for (LONG i = 0; i < count; ++i) {
        const NarrowText& t = *texts.emplace_back(std::make_unique<NarrowText>(found.path(i)));
        lengths.push_back(vdsCutOnCharacter(t.c_str(), t.size(), shape.longestPath));
        size += shape.counted + lengths.back();
    }
    if (size > static_cast<std::size_t>(INT32_MAX)) return Answer::nullReply();
    ReplyBody body = ReplyBody::withPayload(size - kOutputHeaderSize);
    if (body.empty()) return Answer::nullReply();
    unsigned char* reply = body.data();
    vdsPutInt32(reply, count, kListCountOffset);
    std::size_t at = kListEntriesOffset;
    for (LONG i = 0; i < count; ++i) {
        writeHead(reply + at, found, i, lengths[i]);
        std::memcpy(reply + at + shape.head, texts[i]->c_str(), lengths[i]);
        at += shape.head + lengths[i];
    }
    return body;
}

}  // namespace

Answer cmdGetFileSystemProperties(const FileSystemVolumeRequest& r, IVdsService* service) {
    vdsLogId(kVolumeTrace, r.id);
    VDS_FILE_SYSTEM_PROP p{};
    const Outcome o = fileSystemCall(service, r.id, [&](IVdsVolumeMF& mf) {
        return vdsCallOutcome(mf.GetFileSystemProperties(&p));
    });
    if (!o.succeeded()) {
        // A failed call may still have handed back a label.
        CoTaskMemFree(p.pwszLabel);
        return o;
    }
    RecordBuilder record(kFileSystemRecordFixed, RecordBuilder::LengthField::None);
    record.putGuid(0, p.volumeId);
    record.putUInt32(16, static_cast<std::uint32_t>(p.type));
    record.putUInt32(20, p.ulFlags);
    record.putUInt64(24, p.ullTotalAllocationUnits);
    record.putUInt64(32, p.ullAvailableAllocationUnits);
    record.putUInt32(40, p.ulAllocationUnitSize);
    record.takeText(44, p.pwszLabel);
    ReplyBody body = ReplyBody::withPayload(static_cast<std::size_t>(record.size()));
    if (body.empty()) return Answer::nullReply();
    record.writeTo(body.data() + kOutputHeaderSize);
    return body;
}

Answer cmdFormatVolume(const FormatVolumeRequest& r, IVdsService* service) {
    return fileSystemCommand(r, service, [](IVdsVolumeMF& mf, const FormatVolumeRequest& r) {
        const WideString label = vdsWideFromBytes(r.label.data(), r.label.size());
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(mf.Format(static_cast<VDS_FILE_SYSTEM_TYPE>(r.type), label.c_str(),
                                         r.allocationUnitSize, r.force, r.quick, r.compress, op.put()),
                               op);
    });
}

Answer cmdAddAccessPath(const AddAccessPathRequest& r, IVdsService* service) {
    return fileSystemCommand(r, service, [](IVdsVolumeMF& mf, const AddAccessPathRequest& r) {
        const WideString path = vdsWideFromBytes(r.path.data(), r.path.size());
        // The text as converted: it ends at its first zero byte.
        vdsLog("==== Access Path: %s ====\n", r.path.c_str());
        return vdsCallOutcome(mf.AddAccessPath(path.c_str()));
    });
}

Answer cmdQueryAccessPaths(const FileSystemVolumeRequest& r, IVdsService* service) {
    return volumeList<AccessPaths>(
        r, service, {4, 4, INT32_MAX},
        [](IVdsVolumeMF& mf, AccessPaths& found) { return mf.QueryAccessPaths(found.items.put(), &found.count); },
        [](unsigned char* entry, const AccessPaths&, LONG, std::size_t length) {
            vdsPutInt32(entry, static_cast<std::int32_t>(length), 0);
        });
}

Answer cmdQueryReparsePoints(const FileSystemVolumeRequest& r, IVdsService* service) {
    return volumeList<ReparsePoints>(
        r, service, {kReparseEntryFixed, kReparseEntryCounted, UINT16_MAX},
        [](IVdsVolumeMF& mf, ReparsePoints& found) {
            return mf.QueryReparsePoints(found.items.put(), &found.count);
        },
        [](unsigned char* entry, const ReparsePoints& found, LONG i, std::size_t length) {
            std::memcpy(entry, &found.items[static_cast<std::size_t>(i)].SourceVolumeId, sizeof(GUID));
            vdsPutInt16(entry, static_cast<int>(length), 16);
        });
}

Answer cmdDeleteAccessPath(const DeleteAccessPathRequest& r, IVdsService* service) {
    return fileSystemCommand(r, service, [](IVdsVolumeMF& mf, const DeleteAccessPathRequest& r) {
        const WideString path = vdsWideFromBytes(r.path.data(), r.path.size());
        return vdsCallOutcome(mf.DeleteAccessPath(path.c_str(), r.force));
    });
}

Answer cmdMountVolume(const FileSystemVolumeRequest& r, IVdsService* service) {
    vdsLogId(kVolumeTrace, r.id);
    return fileSystemCall(service, r.id, [](IVdsVolumeMF& mf) { return vdsCallOutcome(mf.Mount()); });
}

Answer cmdDismountVolume(const DismountVolumeRequest& r, IVdsService* service) {
    return fileSystemCommand(r, service, [](IVdsVolumeMF& mf, const DismountVolumeRequest& r) {
        return vdsCallOutcome(mf.Dismount(r.force, r.permanent));
    });
}

Answer cmdSetFileSystemFlags(const SetFileSystemFlagsRequest& r, IVdsService* service) {
    return fileSystemCommand(r, service, [](IVdsVolumeMF& mf, const SetFileSystemFlagsRequest& r) {
        return vdsCallOutcome(mf.SetFileSystemFlags(r.flags));
    });
}
