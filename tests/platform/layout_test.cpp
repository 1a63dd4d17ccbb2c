// VDS declarations as they meet bytes: identifiers in memory order, records
// that are forwarded or handed to VDS without conversion, and the enumeration
// values that requests and replies carry.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/vds_interfaces.h"
#include "platform/vds_types.h"

namespace {

// The 16 bytes of a GUID as they lie in memory.
std::array<std::uint8_t, 16> bytesOf(const GUID& g) {
    std::array<std::uint8_t, 16> out{};
    std::memcpy(out.data(), &g, sizeof g);
    return out;
}

// Memory bytes of the registry form "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX":
// the first three groups little-endian, the last two byte by byte.
std::array<std::uint8_t, 16> bytesOfText(const std::string& text) {
    auto hexByte = [&](std::size_t at) {
        return static_cast<std::uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16));
    };
    constexpr std::size_t kOrder[16] = {6, 4, 2, 0, 11, 9, 16, 14,
                                        19, 21, 24, 26, 28, 30, 32, 34};
    std::array<std::uint8_t, 16> out{};
    for (std::size_t i = 0; i < 16; ++i) out[i] = hexByte(kOrder[i]);
    return out;
}

std::uint32_t u32At(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct KnownId {
    const char* name;
    const GUID& id;
    const char* text;
};

// Identifiers as the VDS documentation writes them.
const KnownId kKnownIds[] = {
    {"CLSID_VdsService", CLSID_VdsService, "7D1933CB-86F6-4A98-8628-01BE94C9A575"},
    {"IID_IVdsService", IID_IVdsService, "0818A8EF-9BA9-40D8-A6F9-E22833CC771E"},
    {"IID_IVdsServiceInitialization", IID_IVdsServiceInitialization,
     "4AFC3636-DB01-4052-80C3-03BBCB8D3C69"},
    {"IID_IVdsAdviseSink", IID_IVdsAdviseSink, "8326CD1D-CF59-4936-B786-5EFC08798E25"},
    {"IID_IEnumVdsObject", IID_IEnumVdsObject, "118610B7-8D94-4030-B5B8-500889788E4E"},
    {"IID_IVdsAsync", IID_IVdsAsync, "D5D23B6D-5A55-4492-9889-397A3C2D2DBC"},
    {"IID_IVdsProvider", IID_IVdsProvider, "10C5E575-7984-4E81-A56B-431F5F92AE42"},
    {"IID_IVdsHwProvider", IID_IVdsHwProvider, "D99BDAAE-B13A-4178-9FDB-E27F16B4603E"},
    {"IID_IVdsSwProvider", IID_IVdsSwProvider, "9AA58360-CE33-4F92-B658-ED24B14425B8"},
    {"IID_IVdsSubSystem", IID_IVdsSubSystem, "6FCEE2D3-6D90-4F91-80E2-A5C7CAACA9D8"},
    {"IID_IVdsController", IID_IVdsController, "CB53D96E-DFFB-474A-A078-790D1E2BC082"},
    {"IID_IVdsDrive", IID_IVdsDrive, "FF24EFA4-AADE-4B6B-898B-EAA6A20887C7"},
    {"IID_IVdsMaintenance", IID_IVdsMaintenance, "DAEBEEF3-8523-47ED-A2B9-05CECCE2A1AE"},
    {"IID_IVdsLun", IID_IVdsLun, "3540A9C7-E60F-4111-A840-8BBA6C2C83D8"},
    {"IID_IVdsLunPlex", IID_IVdsLunPlex, "0EE1A790-5D2E-4ABB-8C99-C481E8BE2138"},
    {"IID_IVdsPack", IID_IVdsPack, "3B69D7F5-9D94-4648-91CA-79939BA263BF"},
    {"IID_IVdsDisk", IID_IVdsDisk, "07E5C822-F00C-47A1-8FCE-B244DA56FD06"},
    {"IID_IVdsAdvancedDisk", IID_IVdsAdvancedDisk, "6E6F6B40-977C-4069-BDDD-AC710059F8C0"},
    {"IID_IVdsVolume", IID_IVdsVolume, "88306BB2-E71F-478C-86A2-79DA200A0F11"},
    {"IID_IVdsVolumePlex", IID_IVdsVolumePlex, "4DAA0135-E1D1-40F1-AAA5-3CC1E53221C3"},
    {"IID_IVdsVolumeMF", IID_IVdsVolumeMF, "EE2D5DED-6236-4169-931D-B9778CE03DC6"},
};

TEST(VdsIdentifiers, MatchTheirDocumentedTextInMemoryOrder) {
    for (const auto& known : kKnownIds) {
        EXPECT_EQ(bytesOf(known.id), bytesOfText(known.text)) << known.name;
    }
}

TEST(VdsIdentifiers, AreAllDistinct) {
    for (const auto& a : kKnownIds) {
        for (const auto& b : kKnownIds) {
            if (&a != &b) {
                EXPECT_FALSE(a.id == b.id) << a.name << " equals " << b.name;
            }
        }
    }
}

TEST(VdsIdentifiers, TypedLookupGivesTheInterfaceIdentifier) {
    EXPECT_EQ(&vdsIidOf<IVdsService>(), &IID_IVdsService);
    EXPECT_EQ(&vdsIidOf<IVdsAdvancedDisk>(), &IID_IVdsAdvancedDisk);
    EXPECT_EQ(&vdsIidOf<IVdsVolumeMF>(), &IID_IVdsVolumeMF);
    EXPECT_EQ(&vdsIidOf<IVdsAdviseSink>(), &IID_IVdsAdviseSink);
}

TEST(VdsNotificationRecord, CarriesTypeAtZeroEventAtEightAndIdentifiersAfter) {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_VOLUME;
    n.Volume.ulEvent = VDS_NF_VOLUME_MODIFY;
    n.Volume.volumeId = IID_IVdsVolume;
    n.Volume.plexId = IID_IVdsVolumePlex;
    n.Volume.ulPercentCompleted = 42;

    std::array<std::uint8_t, 48> record{};
    static_assert(sizeof n == record.size());
    std::memcpy(record.data(), &n, sizeof n);

    EXPECT_EQ(u32At(&record[0]), 11u);
    EXPECT_EQ(u32At(&record[8]), 6u);
    EXPECT_EQ(0, std::memcmp(&record[12], &IID_IVdsVolume, 16));
    EXPECT_EQ(0, std::memcmp(&record[28], &IID_IVdsVolumePlex, 16));
    EXPECT_EQ(u32At(&record[44]), 42u);
}

TEST(VdsNotificationRecord, PartitionOffsetIsAlignedAfterTheDisk) {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_PARTITION;
    n.Partition.ulEvent = VDS_NF_PARTITION_ARRIVE;
    n.Partition.ullOffset = 0x0000000100000200ull;
    std::array<std::uint8_t, 48> record{};
    std::memcpy(record.data(), &n, sizeof n);
    EXPECT_EQ(u32At(&record[0]), 60u);
    EXPECT_EQ(u32At(&record[8]), 11u);
    EXPECT_EQ(u32At(&record[32]), 0x200u);
    EXPECT_EQ(u32At(&record[36]), 1u);
}

TEST(VdsInputDisk, ReadsARequestRecordInPlace) {
    // disk id, 64-bit size (low half first), plex id, member index, padding.
    std::array<std::uint8_t, 48> wire{};
    const auto disk = bytesOf(IID_IVdsDisk);
    const auto plex = bytesOf(IID_IVdsVolumePlex);
    std::memcpy(&wire[0], disk.data(), 16);
    const std::uint8_t size[8] = {0x05, 0, 0, 0, 0x01, 0, 0, 0};
    std::memcpy(&wire[16], size, 8);
    std::memcpy(&wire[24], plex.data(), 16);
    wire[40] = 3;

    VDS_INPUT_DISK in[1];
    static_assert(sizeof in == wire.size());
    std::memcpy(in, wire.data(), wire.size());
    EXPECT_TRUE(in[0].diskId == IID_IVdsDisk);
    EXPECT_EQ(in[0].ullSize, 4294967301ull);
    EXPECT_TRUE(in[0].plexId == IID_IVdsVolumePlex);
    EXPECT_EQ(in[0].memberIdx, 3u);
}

// Values that requests and replies carry as plain integers.
TEST(VdsEnumerations, HaveTheirProtocolValues) {
    struct Expect {
        const char* name;
        std::int64_t actual;
        std::int64_t value;
    };
    const Expect table[] = {
        {"VDS_OT_PACK", VDS_OT_PACK, 10},
        {"VDS_OT_VOLUME", VDS_OT_VOLUME, 11},
        {"VDS_OT_VOLUME_PLEX", VDS_OT_VOLUME_PLEX, 12},
        {"VDS_OT_DISK", VDS_OT_DISK, 13},
        {"VDS_OT_SUB_SYSTEM", VDS_OT_SUB_SYSTEM, 30},
        {"VDS_OT_CONTROLLER", VDS_OT_CONTROLLER, 31},
        {"VDS_OT_DRIVE", VDS_OT_DRIVE, 32},
        {"VDS_OT_LUN", VDS_OT_LUN, 33},
        {"VDS_OT_LUN_PLEX", VDS_OT_LUN_PLEX, 34},
        {"VDS_QUERY_SOFTWARE_PROVIDERS", VDS_QUERY_SOFTWARE_PROVIDERS, 1},
        {"VDS_QUERY_HARDWARE_PROVIDERS", VDS_QUERY_HARDWARE_PROVIDERS, 2},
        {"VDS_VT_STRIPE", VDS_VT_STRIPE, 12},
        {"VDS_VT_PARITY", VDS_VT_PARITY, 14},
        {"VDS_PST_MBR", VDS_PST_MBR, 1},
        {"VDS_PST_GPT", VDS_PST_GPT, 2},
        {"VDS_E_NOT_SUPPORTED", VDS_E_NOT_SUPPORTED, static_cast<std::int32_t>(0x80042400u)},
        {"VDS_E_OBJECT_NOT_FOUND", VDS_E_OBJECT_NOT_FOUND,
         static_cast<std::int32_t>(0x80042405u)},
        {"VDS_E_OPERATION_CANCELED", VDS_E_OPERATION_CANCELED,
         static_cast<std::int32_t>(0x8004240Du)},
    };
    for (const auto& e : table) EXPECT_EQ(e.actual, e.value) << e.name;
    EXPECT_TRUE(FAILED(VDS_E_NOT_ENOUGH_SPACE));
    EXPECT_TRUE(SUCCEEDED(VDS_S_DISK_PARTIALLY_CLEANED));
}

}  // namespace
