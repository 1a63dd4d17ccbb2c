// One disk that VDS manages: its partition style and flags, its extents and
// partitions, partitions made, removed and formatted, the disk cleaned, and
// the drive letters of partitions that are not volumes.
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "commands/disk_requests.h"
#include "commands/list_reply.h"
#include "commands/target_call.h"
#include "directory/lookup.h"
#include "directory/records.h"
#include "platform/co_task_mem.h"
#include "protocol/framing.h"
#include "protocol/identifiers.h"
#include "protocol/log_batch.h"
#include "protocol/log_output.h"
#include "protocol/text_convert.h"

namespace {

namespace S = status;

constexpr const char* kDiskTrace = "VDS: disk %s\n";

// New GPT partitions hold data: the basic data partition type every
// partition tool knows.
constexpr GUID kGptBasicData = {0xEBD0A0A2, 0xB9E5, 0x4433,
                                {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
// MBR partitions are made as installable file systems.
constexpr BYTE kMbrInstallableFileSystem = 0x07;

// The disk as IVdsDisk. An object under a disk identifier that is no disk
// is as good as no disk at all.
Outcome resolveDisk(IVdsService* service, const GUID& id, ComPtr<IVdsDisk>& disk) {
    return vdsResolve(service, VDS_OT_DISK, id, IID_IVdsDisk, disk) == Resolved::Found
               ? Outcome::ok()
               : Outcome::failed(S::TargetNotFound);
}

Outcome resolveAdvancedDisk(IVdsService* service, const GUID& id, ComPtr<IVdsAdvancedDisk>& advanced) {
    ComPtr<IVdsDisk> disk;
    if (const Outcome o = resolveDisk(service, id, disk); !o.succeeded()) return o;
    advanced = ComPtr<IVdsAdvancedDisk>(vdsGetAdvancedDisk(disk.get()));
    return advanced ? Outcome::ok() : Outcome::failed(S::NoAdvancedDisk);
}

// The disk found as `Face`; `call` makes the one VDS call on it. Every
// interface is let go before the outcome is returned.
template <typename Face, typename Call>
Outcome onDisk(IVdsService* service, const GUID& id, Call&& call) {
    ComPtr<Face> face;
    Outcome o{};
    if constexpr (std::is_same_v<Face, IVdsDisk>)
        o = resolveDisk(service, id, face);
    else
        o = resolveAdvancedDisk(service, id, face);
    if (!o.succeeded()) return o;
    return call(*face.get());
}

// A list of the disk's partitions or extents: `query` fills a VDS array and
// its count; each element becomes one record. S_FALSE (nothing there) is
// success; any other answer but S_OK is a VDS error.
template <typename Face, typename Element, typename Query, typename WriteAt>
Answer listOnDisk(IVdsService* service, const GUID& id, Query&& query, std::size_t recordSize, WriteAt&& writeAt) {
    vdsLogId(kDiskTrace, id);
    CoTaskMemArray<Element> elements;
    LONG count = 0;
    const Outcome o = onDisk<Face>(service, id, [&](Face& face) {
        const HRESULT hr = query(face, elements.put(), &count);
        return hr == S_OK || hr == S_FALSE ? Outcome::ok() : Outcome::vds(hr);
    });
    if (!o.succeeded() || count <= 0 || !elements) return o;
    RecordList records(ListForm::Long);
    records.addFixed(count, recordSize, [&](int i, unsigned char* at) { writeAt(elements[i], at); });
    return records.reply();
}

// The parameters of a new partition: the style alone, and for MBR and GPT
// the data partition type of that style.
CREATE_PARTITION_PARAMETERS partitionParameters(std::int32_t style) {
    CREATE_PARTITION_PARAMETERS p;
    std::memset(&p, 0, sizeof p);
    p.style = static_cast<VDS_PARTITION_STYLE>(style);
    if (style == VDS_PST_MBR) {
        p.MbrPartInfo.partitionType = kMbrInstallableFileSystem;
        p.MbrPartInfo.bootIndicator = FALSE;
    } else if (style == VDS_PST_GPT) {
        p.GptPartInfo.partitionType = kGptBasicData;
    }
    return p;
}

// The letter byte as the wide character VDS takes; a zero byte stays 0.
WCHAR wideLetter(char letter) {
    const WideString wide = vdsWideFromBytes(&letter, 1);
    return wide.c_str()[0];
}

unsigned long long full(std::uint64_t value) { return static_cast<unsigned long long>(value); }

// 0x0418 and 0x0419: the same request, trace and lookup around one call.
template <typename Call>
Answer driveLetterCommand(const DriveLetterRequest& r, IVdsService* service, Call&& call) {
    const char letterText[2] = {r.letter, '\0'};
    vdsLog("VDS: disk %s, offset %llu, drive letter %s\n", vdsGuidText(r.disk).get(), full(r.offset), letterText);
    const WCHAR letter = wideLetter(r.letter);
    return onDisk<IVdsAdvancedDisk>(service, r.disk, [&](IVdsAdvancedDisk& disk) {
        return vdsCallOutcome(call(disk, r.offset, letter));
    });
}

template <typename Call>
Answer diskFlagsCommand(const DiskFlagsRequest& r, IVdsService* service, Call&& call) {
    vdsLogId(kDiskTrace, r.disk);
    return onDisk<IVdsDisk>(service, r.disk, [&](IVdsDisk& disk) { return vdsCallOutcome(call(disk, r.flags)); });
}

}  // namespace

Answer cmdConvertStyle(const ConvertStyleRequest& r, IVdsService* service) {
    vdsLogId(kDiskTrace, r.disk);
    return onDisk<IVdsDisk>(service, r.disk, [&](IVdsDisk& disk) {
        return vdsCallOutcome(disk.ConvertStyle(static_cast<VDS_PARTITION_STYLE>(r.style)));
    });
}

Answer cmdQueryPartitions(const DiskTargetRequest& r, IVdsService* service) {
    // Each partition logs its offset; the lines go out together once the
    // records are written, before anything else is printed.
    LogBatch lines;
    return listOnDisk<IVdsAdvancedDisk, VDS_PARTITION_PROP>(
        service, r.id,
        [](IVdsAdvancedDisk& disk, VDS_PARTITION_PROP** parts, LONG* n) {
            return disk.QueryPartitions(parts, n);
        },
        kPartitionRecordSize,
        [&lines](const VDS_PARTITION_PROP& partition, unsigned char* at) {
            vdsFormatPartitionLine(partition.ullOffset, lines.line(kPartitionLineSize));
            vdsWritePartitionRecordAt(partition, at);
        });
}

Answer cmdQueryDiskExtents(const DiskTargetRequest& r, IVdsService* service) {
    return listOnDisk<IVdsDisk, VDS_DISK_EXTENT>(
        service, r.id,
        [](IVdsDisk& disk, VDS_DISK_EXTENT** extents, LONG* n) { return disk.QueryExtents(extents, n); },
        kDiskExtentRecordSize, vdsWriteDiskExtentRecordAt);
}

Answer cmdCreatePartitions(const CreatePartitionRequest& r, IVdsService* service) {
    vdsLog("VDS: cmdCreatePartitions, disk %s, offset %llu, create size %llu, style %d\n",
                vdsGuidText(r.disk).get(), full(r.offset), full(r.size), r.style);
    CREATE_PARTITION_PARAMETERS parameters = partitionParameters(r.style);
    if (r.style == VDS_PST_GPT)
        vdsLog("========== GUID %s =========\n",
                    vdsGuidText(parameters.GptPartInfo.partitionType).get());
    return onDisk<IVdsAdvancedDisk>(service, r.disk, [&](IVdsAdvancedDisk& disk) {
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(disk.CreatePartition(r.offset, r.size, &parameters, op.put()), op);
    });
}

Answer cmdDeletePartition(const DeletePartitionRequest& r, IVdsService* service) {
    vdsLogId(kDiskTrace, r.disk);
    return onDisk<IVdsAdvancedDisk>(service, r.disk, [&](IVdsAdvancedDisk& disk) {
        return vdsCallOutcome(disk.DeletePartition(r.offset, r.force, r.forceProtected));
    });
}

Answer cmdFormatPartition(const FormatPartitionRequest& r, IVdsService* service) {
    vdsLogId(kDiskTrace, r.disk);
    return onDisk<IVdsAdvancedDisk>(service, r.disk, [&](IVdsAdvancedDisk& disk) {
        const WideString label = vdsWideFromBytes(r.label.data(), r.label.size());
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(
            disk.FormatPartition(r.offset, static_cast<VDS_FILE_SYSTEM_TYPE>(r.fileSystem),
                                 r.hasLabel ? label.c_str() : nullptr, r.allocationUnit, r.force,
                                 r.quick, r.compress, op.put()),
            op);
    });
}

Answer cmdCleanDisk(const CleanDiskRequest& r, IVdsService* service) {
    vdsLogId(kDiskTrace, r.disk);
    return onDisk<IVdsAdvancedDisk>(service, r.disk, [&](IVdsAdvancedDisk& disk) {
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(disk.Clean(r.force, r.forceOem, r.fullClean, op.put()), op);
    });
}

Answer cmdSetDiskFlags(const DiskFlagsRequest& r, IVdsService* service) {
    return diskFlagsCommand(r, service, [](IVdsDisk& disk, ULONG flags) { return disk.SetFlags(flags); });
}

Answer cmdClearDiskFlags(const DiskFlagsRequest& r, IVdsService* service) {
    return diskFlagsCommand(r, service, [](IVdsDisk& disk, ULONG flags) { return disk.ClearFlags(flags); });
}

Answer cmdGetDriveLetter(const PartitionRequest& r, IVdsService* service) {
    vdsLog("VDS: disk %s, offset %llu\n", vdsGuidText(r.disk).get(), full(r.offset));
    WCHAR letter = 0;
    const Outcome o = onDisk<IVdsAdvancedDisk>(service, r.disk, [&](IVdsAdvancedDisk& disk) {
        return vdsCallOutcome(disk.GetDriveLetter(r.offset, &letter));
    });
    if (!o.succeeded()) return o;
    // The letter as "%c" would print it: its low byte.
    ReplyBody body = ReplyBody::withPayload(1);
    if (body.empty()) return Answer::nullReply();
    body.data()[kOutputHeaderSize] = static_cast<unsigned char>(letter & 0xFF);
    return body;
}

Answer cmdAssignDriveLetter(const DriveLetterRequest& r, IVdsService* service) {
    return driveLetterCommand(r, service, [](IVdsAdvancedDisk& disk, ULONGLONG offset, WCHAR letter) {
        return disk.AssignDriveLetter(offset, letter);
    });
}

Answer cmdDeleteDriveLetter(const DriveLetterRequest& r, IVdsService* service) {
    return driveLetterCommand(r, service, [](IVdsAdvancedDisk& disk, ULONGLONG offset, WCHAR letter) {
        return disk.DeleteDriveLetter(offset, letter);
    });
}
