// A plex's extents as the list shape reads them from a plex that answers as
// told: an empty list and S_FALSE are lists, a failure is a VDS error, and the
// array the plex handed over is freed on every path (the address sanitizer's
// leak check sees it otherwise).

#include <gtest/gtest.h>

#include <cstring>

#include "commands/command_table.h"
#include "commands/list_shapes.h"
#include "directory/records.h"

namespace {

struct ScriptedPlex : IVdsVolumePlex {
    HRESULT result = S_OK;
    LONG extents = 0;
    int references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetProperties(VDS_VOLUME_PLEX_PROP*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolume(IVdsVolume**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DISK_EXTENT** array, LONG* count) override {
        *array = nullptr;
        *count = extents;
        if (extents > 0) {
            *array = static_cast<VDS_DISK_EXTENT*>(CoTaskMemAlloc(sizeof(VDS_DISK_EXTENT) * extents));
            std::memset(static_cast<void*>(*array), 0, sizeof(VDS_DISK_EXTENT) * extents);
            (*array)[0].ullSize = 4096;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Repair(const VDS_INPUT_DISK*, LONG, IVdsAsync**) override { return E_NOTIMPL; }
};

void writeExtent(const VDS_DISK_EXTENT& extent, unsigned char* at) {
    vdsWriteDiskExtentRecordAt(extent, at);
}

TEST(PlexExtents, EmptyAndSFalseAreListsAndFailuresFreeTheArray) {
    struct Case {
        HRESULT result;
        LONG extents;
        bool built;      // a reply with records, rather than an outcome
        Status status;   // of the outcome
    };
    const Case cases[] = {
        {S_OK, 0, false, STATUS_OK},
        {S_FALSE, 0, false, STATUS_OK},
        {S_FALSE, 1, true, STATUS_OK},
        {S_OK, 2, true, STATUS_OK},
        {E_FAIL, 1, false, STATUS_VDS_ERROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.result << " with " << c.extents);
        ScriptedPlex plex;
        plex.result = c.result;
        plex.extents = c.extents;
        plex.AddRef();
        Answer r = vdsListExtentsOf<IVdsVolumePlex, VDS_DISK_EXTENT>(
            ListForm::Long, ComPtr<IVdsVolumePlex>(&plex),
            [](IVdsVolumePlex* p, VDS_DISK_EXTENT** e, LONG* n) { return p->QueryExtents(e, n); },
            kDiskExtentRecordSize, writeExtent);
        EXPECT_EQ(plex.references, 1) << "the plex is given back";
        EXPECT_EQ(r.hasBody(), c.built);
        if (c.built) {
            EXPECT_EQ(r.takeBody().size(), 16 + c.extents * kDiskExtentRecordSize);
        } else {
            EXPECT_EQ(r.outcome().status, c.status);
            EXPECT_EQ(r.outcome().addStatus, FAILED(c.result) ? c.result : S_OK);
        }
    }
}

}  // namespace
