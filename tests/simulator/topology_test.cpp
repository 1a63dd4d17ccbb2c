// Machine descriptions: the built-in one, files, and the refusal of bad ones.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "sim_session.h"

using namespace simtest;

namespace {

std::string sourceDir() { return TOLVANE_SOURCE_DIR; }

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string writeTemp(const std::string& name, const std::string& text) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

const char* kSmallMachine = R"({
  "hardwareProviders": [ { "id": "A0000000-0000-4000-8000-000000000001", "name": "Tiny",
    "subsystems": [ { "id": "A1000000-0000-4000-8000-000000000001", "friendlyName": "Box",
      "drives": [ { "id": "A2000000-0000-4000-8000-000000000001", "size": "1 GiB", "bus": 0, "slot": 3 } ] } ] } ],
  "softwareProviders": []
})";

TEST(Topology, ExampleFileLoadsAndIsTheBuiltInMachine) {
    const std::string path = sourceDir() + "/simulator/topologies/default.json";
    ASSERT_EQ(VdsSimLoadTopologyFile(path.c_str()), 0);
    ASSERT_EQ(VdsSimLoadTopologyJson(readFile(path).c_str()), 0);
    VdsSimLoadDefault();
}

struct BadCase {
    const char* name;
    std::string json;
    std::string expectedPlace;
    std::string expectedProblem;
};

class BadTopology : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadTopology, IsRefusedWithPlaceAndProblemOnStderr) {
    const BadCase& c = GetParam();
    const std::string path = writeTemp(std::string("bad_") + c.name + ".json", c.json);
    ::testing::internal::CaptureStderr();
    int hr = VdsSimLoadTopologyFile(path.c_str());
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_LT(hr, 0);
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_NE(err.find(c.expectedPlace), std::string::npos) << err;
    EXPECT_NE(err.find(c.expectedProblem), std::string::npos) << err;
    VdsSimLoadDefault();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadTopology,
    ::testing::Values(
        BadCase{"syntax", "{\n  \"hardwareProviders\": [\n    { \"id\": }\n  ]\n}", "line 3", "syntax error"},
        BadCase{"short_id", R"({"hardwareProviders":[{"id":"1234"}]})", "/hardwareProviders/0/id",
                "not an identifier of 36 characters"},
        BadCase{"missing_id", R"({"softwareProviders":[{"name":"x"}]})", "/softwareProviders/0/id",
                "missing identifier"},
        BadCase{"typo", R"({"hardwareProviders":[{"id":"A0000000-0000-4000-8000-000000000001","nmae":"x"}]})",
                "/hardwareProviders/0/nmae", "unknown field"},
        BadCase{"duplicate",
                R"({"hardwareProviders":[{"id":"A0000000-0000-4000-8000-000000000001"},
                    {"id":"A0000000-0000-4000-8000-000000000001"}]})",
                "/hardwareProviders/1/id", "already used at /hardwareProviders/0"},
        BadCase{"extent_past_drive",
                R"({"hardwareProviders":[{"id":"A0000000-0000-4000-8000-000000000001","subsystems":[{
                    "id":"A1000000-0000-4000-8000-000000000001",
                    "drives":[{"id":"A2000000-0000-4000-8000-000000000001","size":"1 GiB"}],
                    "luns":[{"id":"A3000000-0000-4000-8000-000000000001","plexes":[{
                      "id":"A4000000-0000-4000-8000-000000000001",
                      "extents":[{"drive":"A2000000-0000-4000-8000-000000000001","size":"2 GiB"}]}]}]}]}]})",
                "/luns/0/plexes/0/extents/0", "past the end of its drive"},
        BadCase{"unmasking_list",
                R"({"hardwareProviders":[{"id":"A0000000-0000-4000-8000-000000000001","subsystems":[{
                    "id":"A1000000-0000-4000-8000-000000000001",
                    "drives":[{"id":"A2000000-0000-4000-8000-000000000001","size":"1 GiB"}],
                    "luns":[{"id":"A3000000-0000-4000-8000-000000000001","unmaskingList":"*;host1","plexes":[{
                      "id":"A4000000-0000-4000-8000-000000000001",
                      "extents":[{"drive":"A2000000-0000-4000-8000-000000000001","size":"1 GiB"}]}]}]}]}]})",
                "/hardwareProviders/0/subsystems/0/luns/0/unmaskingList", "not an unmasking list"},
        BadCase{"bad_size", R"({"softwareProviders":[{"id":"B0000000-0000-4000-8000-000000000001","packs":[{
                    "id":"B1000000-0000-4000-8000-000000000001","disks":[{
                    "id":"B2000000-0000-4000-8000-000000000001","size":"12 parsecs"}]}]}]})",
                "/softwareProviders/0/packs/0/disks/0/size", "unknown size unit"},
        BadCase{"two_disks_in_a_basic_pack", R"({"softwareProviders":[{"id":"B0000000-0000-4000-8000-000000000001","packs":[{
                    "id":"B1000000-0000-4000-8000-000000000001","disks":[
                      {"id":"B2000000-0000-4000-8000-000000000001","size":"1 GiB"},
                      {"id":"B2000000-0000-4000-8000-000000000002","size":"1 GiB"}]}]}]})",
                "/softwareProviders/0/packs/0/disks",
                "a basic pack holds one disk; pack B1000000-0000-4000-8000-000000000001 holds 2"},
        BadCase{"letter_twice", R"({"softwareProviders":[{"id":"B0000000-0000-4000-8000-000000000001","packs":[{
                    "id":"B1000000-0000-4000-8000-000000000001",
                    "disks":[{"id":"B2000000-0000-4000-8000-000000000001","size":"1 GiB","partitions":[
                      {"offset":"1 MiB","size":"1 MiB"},{"offset":"2 MiB","size":"1 MiB"}]}],
                    "volumes":[
                      {"id":"B3000000-0000-4000-8000-000000000001","driveLetter":"E","plexes":[{
                        "id":"B4000000-0000-4000-8000-000000000001","extents":[{
                        "disk":"B2000000-0000-4000-8000-000000000001","offset":"1 MiB","size":"1 MiB"}]}]},
                      {"id":"B3000000-0000-4000-8000-000000000002","driveLetter":"e","plexes":[{
                        "id":"B4000000-0000-4000-8000-000000000002","extents":[{
                        "disk":"B2000000-0000-4000-8000-000000000001","offset":"2 MiB","size":"1 MiB"}]}]}]}]}]})",
                "/driveLetter", "drive letter E is already held"},
        BadCase{"plex_members_without_bound",
                R"({"softwareProviders":[{"id":"B0000000-0000-4000-8000-000000000001","kind":"dynamic","packs":[{
                    "id":"B1000000-0000-4000-8000-000000000001",
                    "disks":[{"id":"B2000000-0000-4000-8000-000000000001","size":"1 GiB","partitions":[
                      {"offset":"1 MiB","size":"1000 MiB","mbrType":66}]}],
                    "volumes":[{"id":"B3000000-0000-4000-8000-000000000001","type":"parity","plexes":[{
                      "id":"B4000000-0000-4000-8000-000000000001","numberOfMembers":4294967295,"extents":[{
                      "disk":"B2000000-0000-4000-8000-000000000001","offset":"2 MiB","size":"1 MiB"}]}]}]}]}]})",
                "/softwareProviders/0/packs/0/volumes/0/plexes/0/numberOfMembers", "at most 65536 members"},
        BadCase{"serial_prefix", R"({"issuedSerials":{"9000":3}})", "/issuedSerials/9000",
                "an identifier prefix of 8 hex digits"},
        BadCase{"letter_on_a_volumes_partition",
                R"({"softwareProviders":[{"id":"B0000000-0000-4000-8000-000000000001","packs":[{
                    "id":"B1000000-0000-4000-8000-000000000001",
                    "disks":[{"id":"B2000000-0000-4000-8000-000000000001","size":"1 GiB","partitions":[
                      {"offset":"1 MiB","size":"1 MiB","driveLetter":"Q"}]}],
                    "volumes":[{"id":"B3000000-0000-4000-8000-000000000001","plexes":[{
                      "id":"B4000000-0000-4000-8000-000000000001","extents":[{
                      "disk":"B2000000-0000-4000-8000-000000000001","offset":"1 MiB","size":"1 MiB"}]}]}]}]}]})",
                "/softwareProviders/0/packs/0/disks/0/partitions/0/driveLetter", "takes its letter through the volume"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Topology, MissingFileIsRefusedAndNamed) {
    ::testing::internal::CaptureStderr();
    EXPECT_LT(VdsSimLoadTopologyFile("/nonexistent/machine.json"), 0);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("/nonexistent/machine.json"), std::string::npos) << err;
    VdsSimLoadDefault();
}

TEST(Topology, ServiceDoesNotStartOnABadEnvironmentFile) {
    const std::string path = writeTemp("env_bad.json", "{ not json");
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
    setenv("TOLVANE_SIM_TOPOLOGY", path.c_str(), 1);
    VdsSimUseEnvironmentTopology();
    ::testing::internal::CaptureStderr();
    IVdsService* s = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService,
                                  reinterpret_cast<void**>(&s));
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_LT(hr, 0);
    EXPECT_EQ(s, nullptr);
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_NE(err.find("line 1"), std::string::npos) << err;

    // A good file named by the environment is what the next service shows.
    const std::string good = writeTemp("env_good.json", kSmallMachine);
    setenv("TOLVANE_SIM_TOPOLOGY", good.c_str(), 1);
    ComPtr<IVdsService> service;
    ASSERT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service.putVoid()), S_OK);
    ComPtr<IVdsServiceInitialization> init;
    ASSERT_EQ(service.queryInterface(IID_IVdsServiceInitialization, init), S_OK);
    ASSERT_EQ(init->Initialize(wideText(u"HOST")), S_OK);
    init.reset();
    ComPtr<IUnknown> unk;
    EXPECT_EQ(service->GetObject(id("A2000000-0000-4000-8000-000000000001"), VDS_OT_DRIVE, unk.put()), S_OK);
    ComPtr<IVdsSubSystem> sub;
    ASSERT_EQ(service->GetObject(id("A1000000-0000-4000-8000-000000000001"), VDS_OT_SUB_SYSTEM, unk.put()), S_OK);
    ASSERT_EQ(unk->QueryInterface(IID_IVdsSubSystem, sub.putVoid()), S_OK);
    ComPtr<IVdsDrive> drive;
    EXPECT_EQ(sub->GetDrive(0, 3, drive.put()), S_OK);
    unsetenv("TOLVANE_SIM_TOPOLOGY");
    drive.reset();
    sub.reset();
    unk.reset();
    service.reset();
    VdsSimLoadDefault();
    EXPECT_EQ(VdsSimLiveReferences(), 0);
    CoUninitialize();
}

}  // namespace
