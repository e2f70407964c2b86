// The handle owners (frame/Handles.h): each image kind is destroyed its own way, moving a
// handle into an owner frees what that owner held at once, and release() gives it up.

#include <gtest/gtest.h>

#include <utility>

#include "frame/Handles.h"

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
