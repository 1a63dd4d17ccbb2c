// Gives back the texts that a GetProperties call handed over. A call that
// fails may already have filled some of them, so every failure path frees
// them too; each pointer is cleared so that a second free is harmless.
#pragma once

#include "platform/vds_types.h"

inline void vdsFreeText(LPWSTR& text) {
    CoTaskMemFree(text);
    text = nullptr;
}

template <typename... Texts>
void vdsFreeTexts(Texts&... texts) {
    (vdsFreeText(texts), ...);
}

inline void vdsFreePropertyTexts(VDS_PROVIDER_PROP& p) { vdsFreeTexts(p.pwszName, p.pwszVersion); }
inline void vdsFreePropertyTexts(VDS_SUB_SYSTEM_PROP& p) {
    vdsFreeTexts(p.pwszFriendlyName, p.pwszIdentification);
}
inline void vdsFreePropertyTexts(VDS_CONTROLLER_PROP& p) {
    vdsFreeTexts(p.pwszFriendlyName, p.pwszIdentification);
}
inline void vdsFreePropertyTexts(VDS_PORT_PROP& p) {
    vdsFreeTexts(p.pwszFriendlyName, p.pwszIdentification);
}
inline void vdsFreePropertyTexts(VDS_DRIVE_PROP& p) {
    vdsFreeTexts(p.pwszFriendlyName, p.pwszIdentification);
}
inline void vdsFreePropertyTexts(VDS_LUN_PROP& p) {
    vdsFreeTexts(p.pwszFriendlyName, p.pwszIdentification, p.pwszUnmaskingList);
}
inline void vdsFreePropertyTexts(VDS_LUN_PLEX_PROP&) {}
inline void vdsFreePropertyTexts(VDS_PACK_PROP& p) { vdsFreeTexts(p.pwszName); }
inline void vdsFreePropertyTexts(VDS_DISK_PROP& p) {
    vdsFreeTexts(p.pwszDiskAddress, p.pwszName, p.pwszFriendlyName, p.pwszAdaptorName,
                 p.pwszDevicePath);
}
inline void vdsFreePropertyTexts(VDS_VOLUME_PROP& p) { vdsFreeTexts(p.pwszName); }
inline void vdsFreePropertyTexts(VDS_VOLUME_PLEX_PROP&) {}
inline void vdsFreePropertyTexts(VDS_FILE_SYSTEM_PROP& p) { vdsFreeTexts(p.pwszLabel); }
