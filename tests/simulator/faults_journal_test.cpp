// Injected faults, the call journal, and two clients at once.
#include <atomic>
#include <chrono>
#include <thread>

#include "lane.h"
#include "sim_session.h"

using namespace simtest;

namespace {

using Faults = SimSession;

TEST_F(Faults, NthCallOfAMethodFailsOnce) {
    auto sub = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    VdsSimInjectFault("IVdsSubSystem::QueryDrives", 2, VDS_E_PROVIDER_FAILURE);
    ComPtr<IEnumVdsObject> e;
    EXPECT_EQ(sub->QueryDrives(e.put()), S_OK);
    EXPECT_EQ(sub->QueryDrives(e.put()), VDS_E_PROVIDER_FAILURE);
    EXPECT_FALSE(e);
    EXPECT_EQ(sub->QueryDrives(e.put()), S_OK);
}

TEST_F(Faults, NthZeroFailsEveryCallUntilCleared) {
    VdsSimInjectFault("IVdsService::GetObject", 0, E_ACCESSDENIED);
    for (int i = 0; i < 3; ++i) {
        ComPtr<IUnknown> unk;
        EXPECT_EQ(service->GetObject(id(kDrive1), VDS_OT_DRIVE, unk.put()), E_ACCESSDENIED);
        EXPECT_FALSE(unk);
    }
    VdsSimClearFaults();
    EXPECT_TRUE(object(kDrive1, VDS_OT_DRIVE));
}

TEST_F(Faults, RefusedInterfaceAndFailedProperties) {
    auto disk = object(kMbrDisk, VDS_OT_DISK);
    const GUID diskId = id(kMbrDisk);
    VdsSimRefuseInterface(&diskId, &IID_IVdsAdvancedDisk);
    ComPtr<IVdsAdvancedDisk> adv;
    EXPECT_EQ(disk->QueryInterface(IID_IVdsAdvancedDisk, adv.putVoid()), E_NOINTERFACE);
    ComPtr<IVdsDisk> plain;
    ASSERT_EQ(disk->QueryInterface(IID_IVdsDisk, plain.putVoid()), S_OK);

    VdsSimFailProperties(&diskId, VDS_E_OBJECT_STATUS_FAILED);
    VDS_DISK_PROP p{};
    EXPECT_EQ(plain->GetProperties(&p), VDS_E_OBJECT_STATUS_FAILED);
    EXPECT_EQ(p.pwszName, nullptr);
}

TEST_F(Faults, JournalRecordsCallsWithReadableArguments) {
    VdsSimJournalEnable(1);
    auto sub = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    ComPtr<IVdsDrive> drive;
    ASSERT_EQ(sub->GetDrive(0, 1, drive.put()), S_OK);
    auto lines = journal();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "IVdsService::GetObject(20000000-0000-4000-8000-000000000001, 30)");
    EXPECT_EQ(lines[1], "IVdsSubSystem::QueryInterface(IVdsSubSystem)");
    EXPECT_EQ(lines[2], "IVdsSubSystem::GetDrive(0, 1)");

    // Replaying: failing each recorded call in turn fails exactly that call.
    char name[128];
    VdsSimJournalEntry(2, name, sizeof name);
    std::string method(name, std::string(name).find('('));
    VdsSimInjectFault(method.c_str(), 1, E_FAIL);
    EXPECT_EQ(sub->GetDrive(0, 1, drive.put()), E_FAIL);
    EXPECT_EQ(sub->GetDrive(0, 1, drive.put()), S_OK);

    VdsSimJournalClear();
    EXPECT_EQ(VdsSimJournalSize(), 0u);
    EXPECT_EQ(VdsSimJournalEntry(5, name, sizeof name), 0u);
}

TEST_F(Faults, TwoClientsAtOnceSeeTheSameMachine) {
    auto worker = [](IVdsService* s, int rounds, int* errors) {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < rounds; ++i) {
            ComPtr<IUnknown> unk;
            if (s->GetObject(id(kSubSystem), VDS_OT_SUB_SYSTEM, unk.put()) != S_OK) { ++*errors; continue; }
            auto sub = as<IVdsSubSystem>(unk.get());
            ComPtr<IEnumVdsObject> e;
            if (sub->QueryDrives(e.put()) != S_OK) { ++*errors; continue; }
            auto drives = collect<IVdsDrive>(e.get());
            if (drives.size() != 8) ++*errors;
            for (auto& d : drives) {
                VDS_DRIVE_PROP p{};
                if (d->GetProperties(&p) != S_OK) { ++*errors; continue; }
                CoTaskMemFree(p.pwszFriendlyName);
                CoTaskMemFree(p.pwszIdentification);
            }
        }
        CoUninitialize();
    };
    int errorsA = 0;
    int errorsB = 0;
    std::thread a(worker, service.get(), 40, &errorsA);
    std::thread b(worker, service.get(), 40, &errorsB);
    a.join();
    b.join();
    EXPECT_EQ(errorsA, 0);
    EXPECT_EQ(errorsB, 0);
}

TEST_F(Faults, ObjectsVanishingUnderAClientAnswerDeletedNeverCrash) {
    std::atomic<bool> stop{false};
    auto sub = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    ASSERT_TRUE(sub);
    std::thread reader([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        while (!stop) {
            VDS_SUB_SYSTEM_PROP p{};
            HRESULT hr = sub->GetProperties(&p);
            if (hr == S_OK) {
                CoTaskMemFree(p.pwszFriendlyName);
                CoTaskMemFree(p.pwszIdentification);
            } else {
                EXPECT_EQ(hr, VDS_E_OBJECT_DELETED);
            }
            ComPtr<IEnumVdsObject> e;
            hr = sub->QueryDrives(e.put());
            EXPECT_TRUE(hr == S_OK || hr == VDS_E_OBJECT_DELETED);
        }
        CoUninitialize();
    });
    for (int i = 0; i < 30; ++i) {
        if (i % 2 == 0) {
            ASSERT_EQ(VdsSimLoadTopologyJson(R"({"hardwareProviders":[]})"), 0);
        } else {
            VdsSimLoadDefault();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop = true;
    reader.join();
    VdsSimLoadDefault();
}

TEST_F(Faults, FreeSpaceOfADriveLetterComesFromItsVolume) {
    TOLVANE_LINUX_STAND_INS_ONLY("the simulated volumes' letters answer only through the Linux stand-in");
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("F:\\", &available, &total, &free));
    EXPECT_EQ(total.QuadPart, 200ull << 30);
    EXPECT_EQ(free.QuadPart, 31457280ull * 4096);
    EXPECT_EQ(available.QuadPart, free.QuadPart);
    EXPECT_FALSE(GetDiskFreeSpaceExA("Q:\\", &available, &total, &free));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

}  // namespace
