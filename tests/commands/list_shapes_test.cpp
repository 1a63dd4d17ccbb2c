// The list shapes with a child that answers as told: a GetProperties that does
// not answer S_OK leaves its child out and gives back the texts it already
// handed over (the address sanitizer's leak check sees them otherwise).

#include <gtest/gtest.h>

#include <cstring>

#include "commands/list_shapes.h"
#include "directory/records.h"

namespace {

LPWSTR comText(const char16_t* text) {
    const std::size_t n = std::char_traits<char16_t>::length(text) + 1;
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(n * sizeof(WCHAR)));
    std::memcpy(copy, text, n * sizeof(WCHAR));
    return copy;
}

// A drive whose GetProperties fills its texts and then answers `result`.
struct ScriptedDrive : IVdsDrive {
    HRESULT result = S_OK;
    int references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetProperties(VDS_DRIVE_PROP* p) override {
        *p = VDS_DRIVE_PROP{};
        p->pwszFriendlyName = comText(u"Drive");
        p->pwszIdentification = comText(u"SN-1");
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetSubSystem(IVdsSubSystem**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DRIVE_EXTENT**, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatus(VDS_DRIVE_STATUS) override { return E_NOTIMPL; }
};

TEST(ChildRecords, AChildWhosePropertiesFailIsLeftOutAndItsTextsAreFreed) {
    struct Case {
        HRESULT result;
        int records;
    };
    for (const Case& c : {Case{S_OK, 1}, Case{S_FALSE, 0}, Case{E_FAIL, 0},
                          Case{static_cast<HRESULT>(0x80042444u), 0}}) {
        ScriptedDrive drive;
        drive.result = c.result;
        {
            InterfaceArray<IVdsDrive> children(1);
            children.data()[0] = &drive;
            drive.AddRef();
            children.setSize(1);
            RecordList records(ListForm::Short);
            vdsAddChildRecords<VDS_DRIVE_PROP>(records, children, vdsWriteDriveRecord);
            EXPECT_EQ(records.count(), c.records) << std::hex << c.result;
        }
        EXPECT_EQ(drive.references, 1);
    }
}

TEST(PropertyTexts, FreeingClearsEveryTextSoASecondFreeIsHarmless) {
    VDS_LUN_PROP lun{};
    lun.pwszFriendlyName = comText(u"a");
    lun.pwszUnmaskingList = comText(u"b");
    vdsFreePropertyTexts(lun);
    EXPECT_EQ(lun.pwszFriendlyName, nullptr);
    EXPECT_EQ(lun.pwszIdentification, nullptr);
    EXPECT_EQ(lun.pwszUnmaskingList, nullptr);
    vdsFreePropertyTexts(lun);
}

}  // namespace
