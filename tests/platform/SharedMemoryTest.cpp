#include "platform/SharedMemory.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::SharedMemory;

namespace {

std::string uniqueName(const char* base) {
    return base + std::to_string(::getpid());
}

// Runs `child` in a forked process and returns its exit status.
int inChild(const std::function<int()>& child) {
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(child());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST(SharedMemoryTest, ABlockWrittenByOneProcessIsReadByAnother) {
    const std::string name = uniqueName("MorvexMapNameTest");
    SharedMemory host = SharedMemory::create(name, 64);
    EXPECT_EQ(host.name(), "/" + name);
    EXPECT_EQ(host.size(), 64u);
    auto hostView = host.map();
    ASSERT_TRUE(hostView);
    EXPECT_EQ(hostView->data()[0], 0);
    std::memcpy(hostView->data(), "job", 3);

    // The other process reads the flag and answers in byte 3.
    int status = inChild([&name] {
        auto block = SharedMemory::open(name);
        if (!block)
            return 1;
        auto view = block->map();
        block->close(); // the view outlives the handle
        if (!view || view->size() != 64)
            return 2;
        if (std::memcmp(view->data(), "job", 3) != 0)
            return 3;
        view->data()[3] = 'X';
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(hostView->data()[3], 'X');
}

TEST(SharedMemoryTest, MissingBlocksFailCleanlyAndTheCreatorRemovesTheName) {
    const std::string name = uniqueName("NoSuchBlock");
    EXPECT_FALSE(SharedMemory::open(name));
    EXPECT_FALSE(SharedMemory::open(""));
    {
        SharedMemory host = SharedMemory::create(name, 16);
        auto reader = SharedMemory::open(name, platform::SharedMemoryAccess::Read);
        ASSERT_TRUE(reader);
        auto view = reader->map();
        ASSERT_TRUE(view);
        EXPECT_EQ(view->size(), 16u);
        SharedMemory moved = std::move(*reader);
        EXPECT_FALSE(reader->isOpen());
        EXPECT_TRUE(moved.isOpen());
        moved.close();
        moved.close(); // once only
        EXPECT_FALSE(moved.isOpen());
    }
    EXPECT_FALSE(SharedMemory::open(name));
    EXPECT_THROW(SharedMemory::create("", 4), platform::ESharedMemoryError);
    EXPECT_THROW(SharedMemory::create(name, 0), platform::ESharedMemoryError);
}

TEST(SharedMemoryTest, StaleBlocksAreReplacedAndNamesAreSanitised) {
    EXPECT_EQ(SharedMemory::objectName("Global\\Map/x"), "/Global_Map_x");
    const std::string name = uniqueName("StaleBlock");
    // A creator that died without closing left its block behind.
    ASSERT_EQ(inChild([&name] {
                  auto block = SharedMemory::create(name, 8);
                  std::memset(block.map()->data(), 0x55, 8);
                  ::_exit(0);
                  return 0;
              }),
              0);
    SharedMemory host = SharedMemory::create(name, 32);
    auto view = host.map();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->size(), 32u);
    EXPECT_EQ(view->data()[0], 0);
}

} // namespace
