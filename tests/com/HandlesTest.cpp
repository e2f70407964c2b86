// The handle owners (comkit/Handles.h): each image kind is destroyed its own way, moving a
// handle into an owner frees what that owner held at once, and release() gives it up.

#include <gtest/gtest.h>

#include <utility>

#include "comkit/HandleValues.h"
#include "comkit/Handles.h"

using morvel::UniqueImage;
using morvel::UniqueModule;

TEST(Handles, UniqueImageDestroysWhatItOwnsExactlyOnce)
{
    HBITMAP first = CreateBitmap(1, 1, 1, 1, nullptr);
    HBITMAP second = CreateBitmap(1, 1, 1, 1, nullptr);
    HICON icon = CopyIcon(LoadIconW(nullptr, IDI_ASTERISK));
    ASSERT_TRUE(first && second && icon);
    {
        UniqueImage a(first, IMAGE_BITMAP);
        {
            UniqueImage b(second, IMAGE_BITMAP);
            a = std::move(b);  // `first` goes now, not when `b` does
            EXPECT_EQ(a.get(), second);
            EXPECT_EQ(GetObjectType(first), 0u);
        }
        EXPECT_EQ(GetObjectType(first), 0u);
        EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BITMAP));

        UniqueImage moved(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(moved.get(), second);

        UniqueImage iconOwner(icon, IMAGE_ICON);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    EXPECT_EQ(GetObjectType(second), 0u);
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(icon, &info));

    HBITMAP kept = CreateBitmap(1, 1, 1, 1, nullptr);
    {
        UniqueImage owner(kept, IMAGE_BITMAP);
        EXPECT_EQ(owner.release(), kept);
    }
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BITMAP));
    DeleteObject(kept);
}

TEST(Handles, MovingIntoAnOwnerReleasesWhatItHeld)
{
    // A library nothing else in this program loads, so its presence shows our reference.
    UniqueModule owner(LoadLibraryW(L"msimg32.dll"));
    ASSERT_TRUE(owner);
    UniqueModule empty;
    owner = std::move(empty);
    EXPECT_FALSE(owner);
    EXPECT_EQ(GetModuleHandleW(L"msimg32.dll"), nullptr);
}

// Handles travel as 32-bit values: truncated on the way in, sign-extended on the way out,
// the platform's rule for handles shared between 32- and 64-bit code. Predefined registry
// roots come back as the platform's own constants (HKEY_LOCAL_MACHINE is
// 0xFFFFFFFF80000002 on x64, which Windows requires even where Wine would not).
TEST(HandleValues, WidenBySignExtensionAndNarrowByTruncation)
{
    using morvel::handleFromLong;
    using morvel::longFromHandle;
    EXPECT_EQ(handleFromLong<HKEY>(0x80000000u), HKEY_CLASSES_ROOT);
    EXPECT_EQ(handleFromLong<HKEY>(0x80000001u), HKEY_CURRENT_USER);
    EXPECT_EQ(handleFromLong<HKEY>(0x80000002u), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(handleFromLong<HKEY>(0x80000003u), HKEY_USERS);
    EXPECT_EQ(longFromHandle(HKEY_LOCAL_MACHINE), 0x80000002u);

    const auto high = reinterpret_cast<std::uintptr_t>(handleFromLong<HWND>(0x80001234u));
    const auto low = reinterpret_cast<std::uintptr_t>(handleFromLong<HMENU>(0x7FFF1234u));
    EXPECT_EQ(high, sizeof(void*) == 8 ? std::uintptr_t(0xFFFFFFFF80001234ull) : std::uintptr_t(0x80001234u));
    EXPECT_EQ(low, std::uintptr_t(0x7FFF1234u));
    EXPECT_EQ(longFromHandle(handleFromLong<HWND>(0x80001234u)), 0x80001234u);
    EXPECT_EQ(handleFromLong<HWND>(0), nullptr);
}
