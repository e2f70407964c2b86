// The owners of type descriptions (comkit/TypeDescription.h): each block goes back to the
// object that made it exactly once, moving one owner into another gives back what the
// target held at once, and an owner keeps its source alive.

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>
#include <vector>

#include "comkit/TypeDescription.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/TypeLibraryWalk.h"

using namespace comtest;

namespace {

// A stand-in for ITypeInfo's pairs of Get/Release calls that records what it gets back.
struct Block {
    int id;
};

class Source {
public:
    ULONG AddRef() { return ++references; }
    ULONG Release() { return --references; }
    HRESULT GetBlock(int id, Block** out)
    {
        if (id < 0) return E_INVALIDARG;
        *out = new Block{id};
        return S_OK;
    }
    void ReleaseBlock(Block* block)
    {
        released.push_back(block->id);
        delete block;
    }

    ULONG references = 1;
    std::vector<int> released;
};

using BlockOwner = morvel::TypeDescription<Source, Block, &Source::GetBlock, &Source::ReleaseBlock>;

static_assert(!std::is_copy_constructible_v<BlockOwner> && !std::is_copy_assignable_v<BlockOwner>);
static_assert(!std::is_copy_constructible_v<morvel::TypeAttr> && !std::is_copy_assignable_v<morvel::TypeAttr>);
static_assert(!std::is_copy_constructible_v<morvel::FuncDesc> && !std::is_copy_assignable_v<morvel::FuncDesc>);
static_assert(!std::is_copy_constructible_v<morvel::LibAttr> && !std::is_copy_assignable_v<morvel::LibAttr>);
static_assert(std::is_nothrow_move_assignable_v<morvel::FuncDesc>);

}  // namespace

TEST(TypeDescription, MovingIntoAnOwnerGivesBackWhatItHeldOnce)
{
    Source source;
    {
        BlockOwner first, second;
        ASSERT_EQ(first.read(&source, 1), S_OK);
        ASSERT_EQ(second.read(&source, 2), S_OK);
        EXPECT_EQ(source.references, 3u);  // each owner keeps the source alive

        first = std::move(second);  // block 1 goes now, not when `first` does
        EXPECT_EQ(source.released, std::vector<int>{1});
        EXPECT_EQ(first->id, 2);
        EXPECT_FALSE(second);
        EXPECT_EQ(source.references, 2u);

        BlockOwner moved(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(moved->id, 2);
        EXPECT_EQ(source.released, std::vector<int>{1});

        // Reading again gives back the old block first; a failed read leaves it empty.
        ASSERT_EQ(moved.read(&source, 3), S_OK);
        EXPECT_EQ(source.released, (std::vector<int>{1, 2}));
        EXPECT_EQ(moved.read(&source, -1), E_INVALIDARG);
        EXPECT_FALSE(moved);
        EXPECT_EQ(source.released, (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(source.references, 1u);

        ASSERT_EQ(moved.read(&source, 4), S_OK);
    }
    EXPECT_EQ(source.released, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(source.references, 1u);
}

TEST(TypeDescription, OwnersReadTheLibrarysOwnDescriptions)
{
    Apartment apartment;
    ComPtr<ITypeLib> library = typeLibraryOf(env(L"MORVEL_DLL"));
    ASSERT_TRUE(library);
    morvel::LibAttr lib;
    ASSERT_EQ(lib.read(library.get()), S_OK);
    EXPECT_EQ(lib->wMajorVerNum, 1);

    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfo(0, info.put()), S_OK);
    morvel::TypeAttr attr;
    ASSERT_EQ(attr.read(info.get()), S_OK);
    ASSERT_GT(attr->cFuncs, 1);
    morvel::FuncDesc a, b;
    ASSERT_EQ(a.read(info.get(), 0u), S_OK);
    ASSERT_EQ(b.read(info.get(), 1u), S_OK);
    const MEMBERID second = b->memid;
    a = std::move(b);
    EXPECT_EQ(a->memid, second);
    EXPECT_FALSE(b);

    // The owner holds its own reference: the descriptions outlive the caller's pointer.
    info.reset();
    library.reset();
    EXPECT_EQ(a->memid, second);
    EXPECT_GT(attr->cFuncs, 1);
}
