#pragma once
// An owning reference to a COM interface: AddRef on copy, Release on destruction. The
// toolchain's own smart pointers differ between SDKs; this is all the adapter needs.
#include <unknwn.h>

#include <utility>

namespace corvex::cadhost::com {

template <typename T>
class ComRef {
public:
    ComRef() = default;
    // Takes a reference the caller already owns (what a COM out-parameter hands back).
    static ComRef adopt(T* raw) {
        ComRef ref;
        ref.raw_ = raw;
        return ref;
    }
    // Shares a reference someone else owns.
    static ComRef share(T* raw) {
        if (raw) raw->AddRef();
        return adopt(raw);
    }
    ComRef(const ComRef& other) : raw_(other.raw_) {
        if (raw_) raw_->AddRef();
    }
    ComRef(ComRef&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ComRef& operator=(ComRef other) noexcept {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~ComRef() {
        if (raw_) raw_->Release();
    }

    T* get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** put() {
        *this = ComRef();
        return &raw_;
    }
    // A new reference for the caller to own (what a COM out-parameter must hand back).
    T* detach() { return std::exchange(raw_, nullptr); }

private:
    T* raw_ = nullptr;
};

}  // namespace corvex::cadhost::com
