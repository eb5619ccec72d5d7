#include <gtest/gtest.h>

#include "Main/core/ElevationUtils.h"
#include "classlib/WinHandles.h"
#include "tests/win/support/ServiceFakes.h"

#include <cstring>

namespace vek::testing {
namespace {

TEST(IsElevated, ReadsTheProcessTokensElevation) {
    FakeToken token;
    EXPECT_TRUE(IsElevated());
    token.elevated = false;
    EXPECT_FALSE(IsElevated());
    // Systems before version 6 know no TokenElevation.
    token.elevated = true;
    token.elevationQueryFails = true;
    EXPECT_FALSE(IsElevated());
    token.elevationQueryFails = false;
    token.processTokenFails = true;
    EXPECT_FALSE(IsElevated());
    EXPECT_EQ(token.open, 0);
}

class CreateElevatedComObjectTest : public ::testing::Test {
protected:
    FakeToken token;
    FakeCom com;
    HWND owner = reinterpret_cast<HWND>(0x00C0FFEE);
};

TEST_F(CreateElevatedComObjectTest, ElevatedCreatesTheObjectDirectly) {
    ComPtr<IServiceAdmin> admin;
    CreateElevatedComObject(owner, CLSID_ServiceAdmin, IID_IServiceAdmin, admin.put());
    EXPECT_EQ(admin.get(), &com.admin);
    EXPECT_EQ(com.createCalls, 1);
    EXPECT_EQ(com.getObjectCalls, 0);
    EXPECT_EQ(com.context, 7u);
    EXPECT_TRUE(IsEqualCLSID(com.classId, CLSID_ServiceAdmin));
    EXPECT_TRUE(IsEqualIID(com.interfaceId, IID_IServiceAdmin));
}

TEST_F(CreateElevatedComObjectTest, NotElevatedBindsTheElevationMoniker) {
    token.elevated = false;
    ComPtr<IServiceAdmin> admin;
    CreateElevatedComObject(owner, CLSID_ServiceAdmin, IID_IServiceAdmin, admin.put());
    EXPECT_EQ(admin.get(), &com.admin);
    EXPECT_EQ(com.createCalls, 0);
    EXPECT_EQ(com.moniker, L"Elevation:Administrator!new:{138740A1-4B08-46CE-AE44-CCC67F24FA56}");
    EXPECT_TRUE(IsEqualIID(com.interfaceId, IID_IServiceAdmin));

    // All zero but cbStruct, dwClassContext (4) and hwnd.
    const DWORD size = FakeCom::kBindOptionsSize;
    std::vector<BYTE> expected(size, 0);
    const DWORD localServer = 4;
    std::memcpy(&expected[0], &size, 4);
    std::memcpy(&expected[20], &localServer, 4);
    std::memcpy(&expected[FakeCom::kBindOptionsOwnerAt], &owner, sizeof owner);
    EXPECT_EQ(com.bindOptions, expected);
}

TEST_F(CreateElevatedComObjectTest, FailuresRaiseTheirResultCode) {
    const HRESULT cancelled = HRESULT_FROM_WIN32(ERROR_CANCELLED);
    for (bool elevated : {true, false}) {
        token.elevated = elevated;
        com.failure = elevated ? REGDB_E_CLASSNOTREG : cancelled;
        ComPtr<IServiceAdmin> admin;
        try {
            CreateElevatedComObject(owner, CLSID_ServiceAdmin, IID_IServiceAdmin, admin.put());
            ADD_FAILURE() << "no error raised";
        } catch (const EComCallError& error) {
            EXPECT_EQ(error.ErrorCode(), com.failure);
        }
        EXPECT_FALSE(admin);
    }
}

} // namespace
} // namespace vek::testing
