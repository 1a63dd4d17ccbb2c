// The machine saved through the control surface, as it stands after a change,
// and read back: the same machine. The text handed to a buffer is the file's,
// cut and terminated to fit; a file that cannot be written is a failure
// explained on stderr.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim_session.h"

using namespace simtest;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(TopologySave, TheSavedMachineAfterAChangeLoadsBackAsItself) {
    VdsSimLoadDefault();
    const unsigned long long pristine = VdsSimModelDigest();
    // The striped LUN's drive fails: the LUN, with no copy elsewhere, fails with it.
    const GUID drive = id(machine::text::kDrive4);
    ASSERT_EQ(VdsSimSetStatus(&drive, VDS_DRS_FAILED), S_OK);
    VdsSimWaitIdle();
    const unsigned long long changed = VdsSimModelDigest();
    ASSERT_NE(changed, pristine);

    const std::string path = ::testing::TempDir() + "tolvane_saved_machine.json";
    ASSERT_EQ(VdsSimSaveTopologyFile(path.c_str()), S_OK);
    const std::string saved = readFile(path);

    const std::size_t needed = VdsSimTopologyJson(nullptr, 0);
    EXPECT_EQ(needed, saved.size());
    std::vector<char> whole(needed + 1, 'x');
    EXPECT_EQ(VdsSimTopologyJson(whole.data(), whole.size()), needed);
    EXPECT_EQ(std::string(whole.data()), saved);
    char cut[8];
    EXPECT_EQ(VdsSimTopologyJson(cut, sizeof cut), needed);
    EXPECT_EQ(std::string(cut), saved.substr(0, sizeof cut - 1));

    VdsSimLoadDefault();
    ASSERT_EQ(VdsSimModelDigest(), pristine);
    ASSERT_EQ(VdsSimLoadTopologyFile(path.c_str()), S_OK);
    EXPECT_EQ(VdsSimModelDigest(), changed);
    std::remove(path.c_str());
    VdsSimLoadDefault();
}

TEST(TopologySave, AFolderThatIsMissingIsAFailureExplainedOnStderr) {
    VdsSimLoadDefault();
    const std::string path = ::testing::TempDir() + "tolvane_no_such_folder/machine.json";
    ::testing::internal::CaptureStderr();
    const int hr = VdsSimSaveTopologyFile(path.c_str());
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(hr, MAKE_HRESULT_CONST(0x80070003u));  // HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)
    EXPECT_EQ(err.rfind("TolvaneSim: ", 0), 0u) << err;
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_EQ(VdsSimSaveTopologyFile(nullptr), E_POINTER);
}

}  // namespace
