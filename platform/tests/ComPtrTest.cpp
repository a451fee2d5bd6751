#include "platform/ComObject.h"
#include "platform/ComPtr.h"
#include "platform/DispatchTable.h"
#include "platform/VkVariant.h"
#include "platform/tests/ComTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

// A plain object of this program, to watch counts from the outside.
class Counted final : public VkComObject<Counted, IDispatch, IStream> {
public:
    explicit Counted(int mode = 0)
    {
        if (mode == 2)
            throw std::runtime_error("refused");
        m_mode = mode;
    }
    HRESULT FinalConstruct() { return m_mode == 1 ? E_ACCESSDENIED : S_OK; }
    ULONG Refs() const { return RefCount(); }

    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    HRESULT Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT Revert() override { return E_NOTIMPL; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

private:
    int m_mode = 0;
};

TEST(ComObjects, QueryInterfaceFollowsTheInterfaceChains)
{
    const LONG before = VkModuleLocal::LockCount();
    ComPtr<IDispatch> d;
    ASSERT_EQ((VkCreateObject<Counted>(&d)), S_OK);
    EXPECT_EQ(VkModuleLocal::LockCount(), before + 1);
    ComPtr<ISequentialStream> seq;
    ComPtr<IStream> stream;
    ComPtr<IUnknown> u1, u2;
    EXPECT_EQ(d.As(&seq), S_OK) << "a base of a listed interface";
    EXPECT_EQ(d.As(&stream), S_OK);
    EXPECT_EQ(d.As(&u1), S_OK);
    EXPECT_EQ(stream.As(&u2), S_OK);
    EXPECT_EQ(u1.Get(), u2.Get()) << "one identity whatever the way in";
    EXPECT_EQ(static_cast<void*>(seq.Get()), static_cast<void*>(stream.Get()));
    ComPtr<IClassFactory> none;
    EXPECT_EQ(d.As(&none), E_NOINTERFACE);
    EXPECT_FALSE(none);
    auto* object = static_cast<Counted*>(d.Get());
    EXPECT_EQ(object->Refs(), 5u);
    seq.Reset();
    stream.Reset();
    u1.Reset();
    u2.Reset();
    EXPECT_EQ(d.Reset(), 0u);
    EXPECT_EQ(VkModuleLocal::LockCount(), before);
}

TEST(ComObjects, FailedCreationLeavesNothingAlive)
{
    const LONG before = VkModuleLocal::LockCount();
    ComPtr<IDispatch> d;
    EXPECT_EQ((VkCreateObject<Counted>(&d, 1)), E_ACCESSDENIED);
    EXPECT_FALSE(d);
    EXPECT_EQ((VkCreateObject<Counted>(&d, 2)), E_FAIL) << "an exception from the constructor";
    EXPECT_FALSE(d);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(VkCreateObject<Counted>(IID_IClassFactory, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(VkModuleLocal::LockCount(), before);
}

TEST(ComPtrs, CopyMoveAttachDetach)
{
    ComPtr<IDispatch> a;
    ASSERT_EQ((VkCreateObject<Counted>(&a)), S_OK);
    auto* object = static_cast<Counted*>(a.Get());
    {
        ComPtr<IDispatch> b = a;
        EXPECT_EQ(object->Refs(), 2u);
        ComPtr<IDispatch> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(object->Refs(), 2u);
        c = a;
        EXPECT_EQ(object->Refs(), 2u) << "self-assignment through another holder";
        ComPtr<IUnknown> widened = a;
        EXPECT_EQ(object->Refs(), 3u);
    }
    EXPECT_EQ(object->Refs(), 1u);
    IDispatch* raw = nullptr;
    EXPECT_EQ(a.CopyTo(&raw), S_OK);
    EXPECT_EQ(object->Refs(), 2u);
    ComPtr<IDispatch> owner;
    owner.Attach(raw);
    EXPECT_EQ(object->Refs(), 2u) << "Attach takes the reference over";
    raw = owner.Detach();
    EXPECT_EQ(object->Refs(), 2u);
    raw->Release();
    EXPECT_EQ(a.Reset(), 0u);
    EXPECT_EQ(a.Reset(), 0u) << "an empty pointer resets to nothing";
    ComPtr<IStream> empty;
    ComPtr<IUnknown> out;
    EXPECT_EQ(empty.As(&out), E_POINTER);
}

class ComThreads : public comtest::ModuleTest {};

TEST_F(ComThreads, CreationFromSeveralThreadsKeepsCountsExact)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures, t] {
            for (int i = 0; i < 100; ++i) {
                ComPtr<IDispatch> w;
                if (FAILED(VkCreateInstance(i % 2 ? "VkTest.Widget" : "VkTest.Widget.1", IID_IDispatch,
                                            reinterpret_cast<void**>(w.GetAddressOf())))) {
                    ++failures;
                    continue;
                }
                VkVariant sum;
                if (FAILED(VkInvoke(w.Get(), DISPID_TestAdd, DISPATCH_METHOD, {VkVariant(LONG(t)), VkVariant(LONG(i))},
                                    &sum)) ||
                    sum.lVal != t + i)
                    ++failures;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(ModuleLocks(), 0);
    CoFreeUnusedLibraries();
    EXPECT_FALSE(ModuleInMemory());
}

} // namespace
