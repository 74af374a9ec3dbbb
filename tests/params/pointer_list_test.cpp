#include "params/pointer_list.h"
#include "params/effect_command.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

// Counts live instances so the tests see what an owning list deletes.
using KCommandListForTest = KOwningList<KEffectCommand>;

struct Tracked : KNamedObjectN<kObjectNameLength> {
    static inline int live = 0;
    explicit Tracked(const char* name = "") {
        setName(name);
        ++live;
    }
    ~Tracked() override { --live; }
    const char* getClassName() const override { return "Tracked"; }
};

TEST(PointerList, GrowsByItsStepAndChecksIndices) {
    KPtrList<Tracked> list(4);
    Tracked items[10];
    for (Tracked& t : items)
        EXPECT_TRUE(list.add(&t));
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.capacity(), 12);
    EXPECT_EQ(list.get(9), &items[9]);
    EXPECT_EQ(list.get(10), nullptr);
    EXPECT_EQ(list.get(-1), nullptr);
    EXPECT_FALSE(list.set(10, &items[0]));
    list.clear();
    EXPECT_TRUE(list.isEmpty());
}

TEST(PointerList, OwningListDeletesWhatItDrops) {
    Tracked::live = 0;
    {
        KOwningList<Tracked> list(2);
        list.resize(3);
        EXPECT_EQ(list.get(2), nullptr);
        list.set(0, new Tracked("a"));
        list.set(1, new Tracked("b"));
        list.set(2, new Tracked("c"));
        EXPECT_EQ(Tracked::live, 3);
        list.set(1, new Tracked("d"));  // replaces and deletes "b"
        EXPECT_EQ(Tracked::live, 3);
        list.resize(1);  // drops "d" and "c"
        EXPECT_EQ(Tracked::live, 1);
        EXPECT_FALSE(list.set(5, new Tracked("e")));  // refused and not leaked
        EXPECT_EQ(Tracked::live, 1);
        list.add(new Tracked("f"));
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(PointerList, AssignSharesPointersWithoutOwning) {
    Tracked::live = 0;
    KOwningList<Tracked> owner;
    owner.add(new Tracked("x"));
    owner.add(new Tracked("y"));
    {
        KPtrList<Tracked> view;
        view.add(nullptr);
        view.assign(owner);
        EXPECT_EQ(view.count(), 2);
        EXPECT_EQ(view.get(1), owner.get(1));
    }
    EXPECT_EQ(Tracked::live, 2);
}

TEST(FindNamed, SkipsEmptyEntriesAndComparesTheNameBuffer) {
    KOwningList<KEffectCommand> commands;
    commands.add(nullptr);
    commands.add(new KEffectCommand("AutoLevel", 0));
    commands.add(new KEffectCommand("Random", 1));
    commands.add(new KEffectCommand("Random", 2));
    EXPECT_EQ(findNamed(&commands, "Random")->commandNumber, 1);
    EXPECT_EQ(findNamed(&commands, "random"), nullptr);
    EXPECT_EQ(findNamed(&commands, nullptr), nullptr);
    const KCommandListForTest* none = nullptr;
    EXPECT_EQ(findNamed(none, "Random"), nullptr);
}

}  // namespace
}  // namespace kx
