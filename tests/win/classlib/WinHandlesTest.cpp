// The handle owners: each kind closes its handle with the function that kind needs, a moved or
// released handle is closed by its new holder only, and a DC gets back what it held.
#include <gtest/gtest.h>

#include "classlib/WinHandles.h"
#include "classlib/WinHttpHandle.h"

#include <utility>

namespace vek {
namespace {

// One row per owner kind: how to make a handle and whether it is still open.
struct KernelKind {
    using Owner = UniqueHandle;
    static HANDLE Make() { return ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    static bool IsOpen(HANDLE event) {
        DWORD flags = 0;
        return ::GetHandleInformation(event, &flags) != FALSE;
    }
};
struct GdiKind {
    using Owner = UniqueGdiObject<HBRUSH>;
    static HBRUSH Make() { return ::CreateSolidBrush(RGB(1, 2, 3)); }
    static bool IsOpen(HBRUSH brush) { return ::GetObjectType(brush) == OBJ_BRUSH; }
};
struct MemoryDcKind {
    using Owner = UniqueMemoryDc;
    static HDC Make() { return ::CreateCompatibleDC(nullptr); }
    static bool IsOpen(HDC dc) { return ::GetObjectType(dc) == OBJ_MEMDC; }
};
struct IconKind {
    using Owner = UniqueIcon;
    static HICON Make() {
        const BYTE andMask[32 * 4] = {};
        const BYTE xorMask[32 * 4] = {};
        return ::CreateIcon(nullptr, 32, 32, 1, 1, andMask, xorMask);
    }
    static bool IsOpen(HICON icon) {
        ICONINFO info{};
        if (!::GetIconInfo(icon, &info)) {
            return false;
        }
        const UniqueGdiObject<HBITMAP> mask(info.hbmMask);
        const UniqueGdiObject<HBITMAP> color(info.hbmColor);
        return true;
    }
};
struct MenuKind {
    using Owner = UniqueMenu;
    static HMENU Make() { return ::CreatePopupMenu(); }
    static bool IsOpen(HMENU menu) { return ::IsMenu(menu) != FALSE; }
};
struct InternetKind {
    using Owner = UniqueInternet;
    static HINTERNET Make() {
        return ::WinHttpOpen(L"owner test", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                             WINHTTP_NO_PROXY_BYPASS, 0);
    }
    static bool IsOpen(HINTERNET session) {
        DWORD timeout = 0;
        DWORD size = sizeof timeout;
        return ::WinHttpQueryOption(session, WINHTTP_OPTION_CONNECT_TIMEOUT, &timeout, &size) !=
               FALSE;
    }
};
struct FindKind {
    using Owner = UniqueFind;
    static HANDLE Make() {
        char folder[MAX_PATH] = {};
        ::GetSystemDirectoryA(folder, MAX_PATH);
        WIN32_FIND_DATAA entry;
        return ::FindFirstFileA((std::string(folder) + "\\*").c_str(), &entry);
    }
    static bool IsOpen(HANDLE search) {
        WIN32_FIND_DATAA entry;
        return ::FindNextFileA(search, &entry) != FALSE || ::GetLastError() != ERROR_INVALID_HANDLE;
    }
};

template <class Kind> class OwnerKindTest : public ::testing::Test {};
using OwnerKinds =
    ::testing::Types<KernelKind, GdiKind, MemoryDcKind, IconKind, MenuKind, InternetKind, FindKind>;
TYPED_TEST_SUITE(OwnerKindTest, OwnerKinds);

// Moved, released and taken over again, a handle stays open until its last owner ends; an owner
// that is moved onto closes the handle it held.
TYPED_TEST(OwnerKindTest, ClosesItsHandleOnceWhereItsLastOwnerEnds) {
    using Owner = typename TypeParam::Owner;
    const auto handle = TypeParam::Make();
    Owner first(handle);
    ASSERT_TRUE(first);
    {
        Owner second(TypeParam::Make());
        const auto replaced = second.get();
        second = std::move(first);
        EXPECT_FALSE(TypeParam::IsOpen(replaced));
        first.reset();
        const Owner third(second.release());
        second.reset();
        EXPECT_EQ(third.get(), handle);
        EXPECT_TRUE(TypeParam::IsOpen(handle));
    }
    EXPECT_FALSE(TypeParam::IsOpen(handle));
}

// A fresh memory DC holds a 1 x 1 bitmap of its own until another is selected.
class SelectionTest : public ::testing::Test {
protected:
    UniqueMemoryDc dc{::CreateCompatibleDC(nullptr)};
    const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
    UniqueGdiObject<HBITMAP> bitmap{::CreateBitmap(4, 4, 1, 1, nullptr)};

    HGDIOBJ Selected() const { return ::GetCurrentObject(dc.get(), OBJ_BITMAP); }
};

TEST_F(SelectionTest, PutsThePreviousObjectBackAtScopeEnd) {
    {
        const ScopedSelection selection(dc.get(), bitmap.get());
        ASSERT_TRUE(selection);
        EXPECT_EQ(selection.previous(), original);
        EXPECT_EQ(Selected(), bitmap.get());
    }
    EXPECT_EQ(Selected(), original);
    // No longer selected, the bitmap can be deleted.
    EXPECT_TRUE(::DeleteObject(bitmap.release()));
}

TEST_F(SelectionTest, AMovedSelectionIsUndoneByItsNewHolderAndAReleasedOneNever) {
    ScopedSelection outer(dc.get(), bitmap.get());
    {
        ScopedSelection inner(std::move(outer));
        outer.reset();
        EXPECT_EQ(Selected(), bitmap.get());
    }
    EXPECT_EQ(Selected(), original);

    ScopedSelection released(dc.get(), bitmap.get());
    EXPECT_EQ(released.release(), original);
    released.reset();
    EXPECT_EQ(Selected(), bitmap.get());
    ::SelectObject(dc.get(), original);
}

// A window DC comes from the system's cache: once it is released to its window, the next GetDC
// finds it free again; while it is out, GetDC would hand out another.
TEST(UniqueWindowDc, GoesBackToTheWindowsCache) {
    const HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                          nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    {
        HDC first = nullptr;
        {
            UniqueWindowDc taken(window);
            ASSERT_TRUE(taken);
            EXPECT_EQ(taken.window(), window);
            first = taken.get();
            const UniqueWindowDc moved(std::move(taken));
        }
        const UniqueWindowDc again(window);
        EXPECT_EQ(again.get(), first);
    }
    ::DestroyWindow(window);
}

} // namespace
} // namespace vek
