// The objects of the simulated service's built-in machine
// (simulator/topologies/default.json), once for every test: `text::` holds
// the text forms as the file writes them, the plain names the identifiers.
#pragma once

#include "protocol/guid_text.h"

namespace machine {

namespace text {
inline constexpr const char* kHwProvider = "10000000-0000-4000-8000-000000000001";
inline constexpr const char* kSampleProvider = "6C9FEAEE-8193-400B-882C-49A83B50F862";
inline constexpr const char* kSubSystem = "20000000-0000-4000-8000-000000000001";
inline constexpr const char* kControllerA = "30000000-0000-4000-8000-000000000001";
inline constexpr const char* kControllerB = "30000000-0000-4000-8000-000000000002";
inline constexpr const char* kDrive1 = "40000000-0000-4000-8000-000000000001";
inline constexpr const char* kDrive2 = "40000000-0000-4000-8000-000000000002";
inline constexpr const char* kDrive3 = "40000000-0000-4000-8000-000000000003";
inline constexpr const char* kDrive4 = "40000000-0000-4000-8000-000000000004";
inline constexpr const char* kBootLun = "50000000-0000-4000-8000-000000000001";
inline constexpr const char* kMirroredLun = "50000000-0000-4000-8000-000000000002";
inline constexpr const char* kStripeLun = "50000000-0000-4000-8000-000000000003";
inline constexpr const char* kBootLunPlex = "51000000-0000-4000-8000-000000000001";
inline constexpr const char* kMirroredLunPlex1 = "51000000-0000-4000-8000-000000000002";
inline constexpr const char* kMirroredLunPlex2 = "51000000-0000-4000-8000-000000000003";
inline constexpr const char* kStripePlex = "51000000-0000-4000-8000-000000000004";
inline constexpr const char* kBasicProvider = "60000000-0000-4000-8000-000000000001";
inline constexpr const char* kDynamicProvider = "60000000-0000-4000-8000-000000000002";
// Each basic disk has a pack of its own: the MBR disk (C:) and the GPT disk (F:).
inline constexpr const char* kBasicPack = "70000000-0000-4000-8000-000000000001";
inline constexpr const char* kGptPack = "70000000-0000-4000-8000-000000000003";
inline constexpr const char* kDynamicPack = "70000000-0000-4000-8000-000000000002";
inline constexpr const char* kMbrDisk = "80000000-0000-4000-8000-000000000001";
inline constexpr const char* kGptDisk = "80000000-0000-4000-8000-000000000002";
// Unallocated: in no pack, the service's own until AddDisk takes it.
inline constexpr const char* kRawDisk = "80000000-0000-4000-8000-000000000003";
inline constexpr const char* kDynDisk = "80000000-0000-4000-8000-000000000004";
inline constexpr const char* kVolumeC = "90000000-0000-4000-8000-000000000002";
inline constexpr const char* kVolumeF = "90000000-0000-4000-8000-000000000004";
inline constexpr const char* kArchiveVolume = "90000000-0000-4000-8000-000000000005";
inline constexpr const char* kMirrorVolume = "90000000-0000-4000-8000-000000000006";
inline constexpr const char* kVolumeCPlex = "91000000-0000-4000-8000-000000000002";
inline constexpr const char* kMirrorVolumePlex2 = "91000000-0000-4000-8000-000000000007";
// Drives that hold no LUN: 1.1 (64 GiB) and the hot spare 1.3 (128 GiB).
inline constexpr const char* kFreeDrive = "40000000-0000-4000-8000-000000000006";
inline constexpr const char* kSpareDrive = "40000000-0000-4000-8000-000000000008";
// Names nothing on the machine.
inline constexpr const char* kUnknown = "DEADBEEF-0000-4000-8000-000000000000";
}  // namespace text

constexpr GUID id(const char* text) { return vdsGuidFromText(text).value(); }

inline constexpr GUID kHwProvider = id(text::kHwProvider);
inline constexpr GUID kSampleProvider = id(text::kSampleProvider);
inline constexpr GUID kSubSystem = id(text::kSubSystem);
inline constexpr GUID kControllerA = id(text::kControllerA);
inline constexpr GUID kControllerB = id(text::kControllerB);
inline constexpr GUID kDrive1 = id(text::kDrive1);
inline constexpr GUID kDrive3 = id(text::kDrive3);
inline constexpr GUID kDrive4 = id(text::kDrive4);
inline constexpr GUID kBootLun = id(text::kBootLun);
inline constexpr GUID kMirroredLun = id(text::kMirroredLun);
inline constexpr GUID kStripeLun = id(text::kStripeLun);
inline constexpr GUID kBootLunPlex = id(text::kBootLunPlex);
inline constexpr GUID kMirroredLunPlex1 = id(text::kMirroredLunPlex1);
inline constexpr GUID kMirroredLunPlex2 = id(text::kMirroredLunPlex2);
inline constexpr GUID kStripePlex = id(text::kStripePlex);
inline constexpr GUID kBasicProvider = id(text::kBasicProvider);
inline constexpr GUID kDynamicProvider = id(text::kDynamicProvider);
inline constexpr GUID kBasicPack = id(text::kBasicPack);
inline constexpr GUID kGptPack = id(text::kGptPack);
inline constexpr GUID kDynamicPack = id(text::kDynamicPack);
inline constexpr GUID kMbrDisk = id(text::kMbrDisk);
inline constexpr GUID kGptDisk = id(text::kGptDisk);
inline constexpr GUID kRawDisk = id(text::kRawDisk);
inline constexpr GUID kDynDisk = id(text::kDynDisk);
inline constexpr GUID kVolumeC = id(text::kVolumeC);
inline constexpr GUID kVolumeF = id(text::kVolumeF);
inline constexpr GUID kArchiveVolume = id(text::kArchiveVolume);
inline constexpr GUID kMirrorVolume = id(text::kMirrorVolume);
inline constexpr GUID kVolumeCPlex = id(text::kVolumeCPlex);
inline constexpr GUID kMirrorVolumePlex2 = id(text::kMirrorVolumePlex2);
inline constexpr GUID kUnknown = id(text::kUnknown);
inline constexpr GUID kFreeDrive = id(text::kFreeDrive);
inline constexpr GUID kSpareDrive = id(text::kSpareDrive);

}  // namespace machine
