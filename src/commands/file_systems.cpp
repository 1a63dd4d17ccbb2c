// The file system of one volume, through its IVdsVolumeMF: read its
// properties, format it, add, list and remove its access paths, list the
// volumes mounted into it, mount and dismount it, and set its flags.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "commands/change_shape.h"
#include "commands/file_system_requests.h"
#include "commands/handlers.h"
#include "commands/payload_reply.h"
#include "directory/record_builder.h"
#include "protocol/framing.h"
#include "protocol/identifiers.h"
#include "protocol/text_convert.h"

namespace {

constexpr const char* kVolumeTrace = "VDS: Volume ID %s\n";

// Every reply of the file-system properties command carries this code
// instead of the request's own.
constexpr std::int16_t kFileSystemPropertiesReply = 0x0600;

constexpr int kFileSystemRecordFixed = 48;
constexpr int kListCountOffset = 12;
constexpr int kListEntriesOffset = 16;
constexpr int kReparseEntryFixed = 18;
// Each reparse entry is counted at 20 bytes plus its path, though it takes
// 18: the reply ends in two zero bytes per entry.
constexpr int kReparseEntryCounted = 20;

ChangeLookup volumeTarget(const GUID& id) { return {VDS_OT_VOLUME, id}; }

// The one IVdsVolumeMF call of a command on the volume the request names.
template <typename Call>
Outcome fileSystemCall(const GUID& volume, Call&& call) {
    return vdsChange<IVdsVolumeMF>(volumeTarget(volume), {}, call);
}

// A command whose only argument is the volume; its call runs on the
// volume's file-system interface.
template <typename Request, typename Call>
HandlerResult volumeCommand(RequestReader& in, Call&& call) {
    const auto r = vdsReadRequest<Request>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kVolumeTrace, r->volume);
    return fileSystemCall(r->volume, [&](IVdsVolumeMF& mf) { return call(mf, *r); });
}

// Owns what QueryAccessPaths hands back: every string and the array.
struct AccessPaths {
    LPWSTR* paths = nullptr;
    LONG count = 0;
    AccessPaths() = default;
    AccessPaths(const AccessPaths&) = delete;
    AccessPaths& operator=(const AccessPaths&) = delete;
    ~AccessPaths() {
        if (paths == nullptr) return;
        for (LONG i = 0; i < count; ++i) CoTaskMemFree(paths[i]);
        CoTaskMemFree(paths);
    }
};

// Owns what QueryReparsePoints hands back.
struct ReparsePoints {
    VDS_REPARSE_POINT_PROP* points = nullptr;
    LONG count = 0;
    ReparsePoints() = default;
    ReparsePoints(const ReparsePoints&) = delete;
    ReparsePoints& operator=(const ReparsePoints&) = delete;
    ~ReparsePoints() {
        if (points == nullptr) return;
        for (LONG i = 0; i < count; ++i) CoTaskMemFree(points[i].pwszPath);
        CoTaskMemFree(points);
    }
};

// The narrow texts of a list reply, each cut to what its length field holds.
struct ListTexts {
    std::vector<std::unique_ptr<NarrowText>> texts;
    std::vector<std::size_t> lengths;
    void add(const WCHAR* wide, std::size_t limit) {
        // A path the service leaves null is empty text.
        texts.push_back(std::make_unique<NarrowText>(wide));
        const NarrowText& t = *texts.back();
        lengths.push_back(vdsCutOnCharacter(t.c_str(), t.size(), limit));
    }
};

// A list reply: the count at 12, then the entries that `write` places from 16.
template <typename Write>
HandlerResult listReply(const CommandRow& row, std::size_t size, LONG count, Write&& write) {
    if (size > static_cast<std::size_t>(INT32_MAX)) return HandlerResult::nullReply();
    return vdsPayloadReply(row, static_cast<int>(size), [&](unsigned char* reply) {
        vdsPutInt32(reply, count, kListCountOffset);
        write(reply);
    });
}

}  // namespace

HandlerResult cmdGetFileSystemProperties(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<FileSystemVolumeRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kVolumeTrace, r->id);
    VDS_FILE_SYSTEM_PROP p{};
    const Outcome o = fileSystemCall(r->id, [&](IVdsVolumeMF& mf) {
        return vdsCallOutcome(mf.GetFileSystemProperties(&p));
    });
    if (!o.succeeded()) {
        // A failed call may still have handed back a label.
        CoTaskMemFree(p.pwszLabel);
        int size = 0;
        unsigned char* reply =
            vdsMakeOutput(row.failureReplySize, kFileSystemPropertiesReply, o.status, o.addStatus, &size);
        return HandlerResult::built(reply, size);
    }
    RecordBuilder record(kFileSystemRecordFixed, RecordBuilder::LengthField::None);
    record.putGuid(0, p.volumeId);
    record.putUInt32(16, static_cast<std::uint32_t>(p.type));
    record.putUInt32(20, p.ulFlags);
    record.putUInt64(24, p.ullTotalAllocationUnits);
    record.putUInt64(32, p.ullAvailableAllocationUnits);
    record.putUInt32(40, p.ulAllocationUnitSize);
    record.takeText(44, p.pwszLabel);
    CommandRow replyRow = row;
    replyRow.code = kFileSystemPropertiesReply;
    return vdsPayloadReply(replyRow, 12 + record.size(),
                           [&](unsigned char* reply) { record.writeTo(reply + 12); });
}

HandlerResult cmdFormatVolume(const CommandRow&, RequestReader& in) {
    return volumeCommand<FormatVolumeRequest>(in, [](IVdsVolumeMF& mf, const FormatVolumeRequest& r) {
        const WideString label = vdsWideFromBytes(r.label.data(), r.label.size());
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(mf.Format(static_cast<VDS_FILE_SYSTEM_TYPE>(r.type), label.c_str(),
                                         r.allocationUnitSize, r.force, r.quick, r.compress, op.put()),
                               op);
    });
}

HandlerResult cmdAddAccessPath(const CommandRow&, RequestReader& in) {
    return volumeCommand<AddAccessPathRequest>(in, [](IVdsVolumeMF& mf, const AddAccessPathRequest& r) {
        const WideString path = vdsWideFromBytes(r.path.data(), r.path.size());
        // The text as converted: it ends at its first zero byte.
        std::printf("==== Access Path: %s ====\n", r.path.c_str());
        return vdsCallOutcome(mf.AddAccessPath(path.c_str()));
    });
}

HandlerResult cmdQueryAccessPaths(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<FileSystemVolumeRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kVolumeTrace, r->id);
    AccessPaths found;
    const Outcome o = fileSystemCall(r->id, [&](IVdsVolumeMF& mf) {
        return vdsCallOutcome(mf.QueryAccessPaths(&found.paths, &found.count));
    });
    if (!o.succeeded()) return o;
    const LONG count = found.paths != nullptr && found.count > 0 ? found.count : 0;
    ListTexts texts;
    std::size_t size = kListEntriesOffset;
    for (LONG i = 0; i < count; ++i) {
        texts.add(found.paths[i], INT32_MAX);
        size += 4 + texts.lengths.back();
    }
    return listReply(row, size, count, [&](unsigned char* reply) {
        std::size_t at = kListEntriesOffset;
        for (LONG i = 0; i < count; ++i) {
            const std::size_t length = texts.lengths[i];
            vdsPutInt32(reply, static_cast<std::int32_t>(length), static_cast<int>(at));
            std::memcpy(reply + at + 4, texts.texts[i]->c_str(), length);
            at += 4 + length;
        }
    });
}

HandlerResult cmdQueryReparsePoints(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<FileSystemVolumeRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kVolumeTrace, r->id);
    ReparsePoints found;
    const Outcome o = fileSystemCall(r->id, [&](IVdsVolumeMF& mf) {
        return vdsCallOutcome(mf.QueryReparsePoints(&found.points, &found.count));
    });
    if (!o.succeeded()) return o;
    const LONG count = found.points != nullptr && found.count > 0 ? found.count : 0;
    ListTexts texts;
    std::size_t size = kListEntriesOffset;
    for (LONG i = 0; i < count; ++i) {
        texts.add(found.points[i].pwszPath, UINT16_MAX);
        size += kReparseEntryCounted + texts.lengths.back();
    }
    return listReply(row, size, count, [&](unsigned char* reply) {
        std::size_t at = kListEntriesOffset;
        for (LONG i = 0; i < count; ++i) {
            const std::size_t length = texts.lengths[i];
            std::memcpy(reply + at, &found.points[i].SourceVolumeId, sizeof(GUID));
            vdsPutInt16(reply, static_cast<int>(length), static_cast<int>(at + 16));
            std::memcpy(reply + at + kReparseEntryFixed, texts.texts[i]->c_str(), length);
            at += kReparseEntryFixed + length;
        }
    });
}

HandlerResult cmdDeleteAccessPath(const CommandRow&, RequestReader& in) {
    return volumeCommand<DeleteAccessPathRequest>(in, [](IVdsVolumeMF& mf, const DeleteAccessPathRequest& r) {
        const WideString path = vdsWideFromBytes(r.path.data(), r.path.size());
        return vdsCallOutcome(mf.DeleteAccessPath(path.c_str(), r.force));
    });
}

HandlerResult cmdMountVolume(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<FileSystemVolumeRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kVolumeTrace, r->id);
    return fileSystemCall(r->id, [](IVdsVolumeMF& mf) { return vdsCallOutcome(mf.Mount()); });
}

HandlerResult cmdDismountVolume(const CommandRow&, RequestReader& in) {
    return volumeCommand<DismountVolumeRequest>(in, [](IVdsVolumeMF& mf, const DismountVolumeRequest& r) {
        return vdsCallOutcome(mf.Dismount(r.force, r.permanent));
    });
}

HandlerResult cmdSetFileSystemFlags(const CommandRow&, RequestReader& in) {
    return volumeCommand<SetFileSystemFlagsRequest>(in, [](IVdsVolumeMF& mf, const SetFileSystemFlagsRequest& r) {
        return vdsCallOutcome(mf.SetFileSystemFlags(r.flags));
    });
}
