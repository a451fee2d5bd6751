// OraStackLow answers from the thread's real stack bounds: on the main
// thread most answers come from the size limit alone, and those must never
// say "enough left" where the exact bounds would not.

#include "ociw32/server/OraStackGuard.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/resource.h>

#include <cstdint>

namespace oraenginetest {
namespace {

// Bytes of stack left below the caller's frame, from the thread's exact
// bounds; 0 when they cannot be read.
size_t ExactStackLeft()
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return 0;
    void* addr = nullptr;
    size_t size = 0;
    size_t guard = 0;
    pthread_attr_getstack(&attr, &addr, &size);
    pthread_attr_getguardsize(&attr, &guard);
    pthread_attr_destroy(&attr);
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    return here - (reinterpret_cast<uintptr_t>(addr) + guard);
}

// Reserves well below and well above what is left, and the usual ones.
void ExpectAgreesWithExactBounds()
{
    const size_t left = ExactStackLeft();
    ASSERT_GT(left, 512u * 1024);
    constexpr size_t margin = 64 * 1024;
    EXPECT_FALSE(VkOracle::OraStackLow(left - margin));
    EXPECT_FALSE(VkOracle::OraStackLow(left / 2));
    EXPECT_TRUE(VkOracle::OraStackLow(left + margin));
    EXPECT_TRUE(VkOracle::OraStackLow(left * 2));
    EXPECT_FALSE(VkOracle::OraStackLow());
    EXPECT_FALSE(VkOracle::OraStackLow(VkOracle::kPlsqlStackReserve));
}

// 1: the main thread (the test's own), asked first for small reserves and
// then for reserves close to what is left.
TEST(OraStackGuard, MainThreadAgreesWithExactBounds)
{
    ExpectAgreesWithExactBounds();
}

// 2: the main thread deep in its stack: a small reserve there is answered
// exactly, not from the limit.
uintptr_t ExactStackLow()
{
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    return here - ExactStackLeft();
}

// Recurses until less than `until` bytes are left, then asks.
size_t AskDeep(uintptr_t low, size_t until, size_t reserve, bool* answer)
{
    volatile char pad[4096];
    pad[0] = 1;
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (here - low > until)
        return AskDeep(low, until, reserve, answer) + pad[0] - 1;
    *answer = VkOracle::OraStackLow(reserve);
    return here - low;
}

TEST(OraStackGuard, MainThreadDeepInItsStack)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 64u << 20)
        GTEST_SKIP() << "needs a main thread stack of bounded size";
    const uintptr_t low = ExactStackLow();
    ASSERT_GT(ExactStackLeft(), 2u * 1024 * 1024);
    bool low2m = false;
    const size_t left = AskDeep(low, 1024 * 1024, 2 * 1024 * 1024, &low2m);
    ASSERT_LT(left, 1024u * 1024);
    EXPECT_TRUE(low2m);
    bool low64k = true;
    AskDeep(low, 1024 * 1024, 64 * 1024, &low64k);
    EXPECT_FALSE(low64k);
}

// 3: a thread with a stack of its own size.
TEST(OraStackGuard, OtherThreadAgreesWithExactBounds)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 4 * 1024 * 1024);
    pthread_t thread;
    auto body = [](void*) -> void* {
        ExpectAgreesWithExactBounds();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, body, nullptr), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

} // namespace
} // namespace oraenginetest
