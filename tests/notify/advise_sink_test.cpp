#include <gtest/gtest.h>

#include "notify/advise_sink.h"
#include "stdout_capture.h"

namespace {

CVdsAdviseSink* newSink() {
    CVdsAdviseSink* sink = nullptr;
    EXPECT_EQ(CVdsAdviseSink::Create(&sink), S_OK);
    return sink;
}

TEST(AdviseSink, StartsWithoutReferencesAndCountsThem) {
    CVdsAdviseSink* sink = newSink();
    EXPECT_EQ(sink->AddRef(), 1u);
    EXPECT_EQ(sink->AddRef(), 2u);
    EXPECT_EQ(sink->Release(), 1u);
    EXPECT_EQ(sink->Release(), 0u);  // destroyed here; the address sanitizer checks the rest
}

TEST(AdviseSink, AnswersForItsOwnInterfacesOnly) {
    CVdsAdviseSink* sink = newSink();
    sink->AddRef();
    struct Case {
        const IID* iid;
        HRESULT expected;
    };
    const Case cases[] = {{&IID_IUnknown, S_OK},
                          {&IID_IVdsAdviseSink, S_OK},
                          {&IID_IVdsService, E_NOINTERFACE},
                          {&IID_IClassFactory, E_NOINTERFACE}};
    ULONG references = 1;
    for (const Case& c : cases) {
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(sink->QueryInterface(*c.iid, &out), c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(out, static_cast<IVdsAdviseSink*>(sink));
            ++references;
        } else {
            EXPECT_EQ(out, nullptr);
        }
    }
    EXPECT_EQ(sink->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(sink->AddRef(), references + 1);
    for (ULONG left = references + 1; left > 0; --left) EXPECT_EQ(sink->Release(), left - 1);
}

TEST(AdviseSink, WithoutAJavaVmTheBatchIsDroppedQuietly) {
    CVdsAdviseSink* sink = newSink();
    sink->AddRef();
    VDS_NOTIFICATION record{};
    HRESULT hr = E_FAIL;
    const std::string out = capturedStdout([&] { hr = sink->OnNotify(1, &record); });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(out,
              "Into OnNotify().................\n"
              "After JNI_GetCreatedJavaVMs OnNotify().................\n"
              "CVdsAdviseSink: Can not get the jvm");
    sink->Release();
}

}  // namespace
