#pragma once

// C++ side of the dispatch ABI (dispatch_abi.h): Variant conversion, a counted
// reference for callers, and a base class for implementers.
//
// Caller:
//     platform::DispatchRef service = platform::DispatchRef::retain(raw);
//     platform::Variant data;
//     bool ok = service.invoke(PLATFORM_DISPID_OPEN_QUERY, {sql, platform::byRef(data)}).toBool();
//
// Implementer:
//     class Service : public platform::DispatchObject {
//         platform::Variant invoke(std::int32_t dispId, platform::DispatchArgs& args) override;
//     };
//     platform::DispatchRef ref = platform::makeDispatch<Service>(...);
//     hand ref.get() to the other side.

#include "platform/Variant.h"
#include "platform/dispatch_abi.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// A failed invoke: the status and the callee's error text (or a description of the status).
class EDispatchError : public std::runtime_error {
public:
    EDispatchError(std::int32_t status, const std::string& message)
        : std::runtime_error(message)
        , status_(status) {}
    std::int32_t status() const { return status_; }

private:
    std::int32_t status_;
};

// Text describing a PLATFORM_DISP_* status, in Chinese.
std::string dispatchStatusText(std::int32_t status);

// ---- conversion ----

// Deep copy into `out`, which is cleared first. Throws std::bad_alloc when out of memory
// (out is then Empty).
void toPlatformVariant(const Variant& value, PlatformVariant& out);

// Deep copy out of `value` (following a by-reference argument to its target). A
// malformed variant (unknown kind, NULL data with a length, nesting deeper than 64,
// a by-reference inside an array) raises EVariantError.
Variant fromPlatformVariant(const PlatformVariant& value);

// Owns one PlatformVariant and clears it on destruction.
class PlatformVariantHolder {
public:
    PlatformVariantHolder() { platform_variant_init(&value_); }
    explicit PlatformVariantHolder(const Variant& value)
        : PlatformVariantHolder() {
        toPlatformVariant(value, value_);
    }
    ~PlatformVariantHolder() { platform_variant_clear(&value_); }
    PlatformVariantHolder(const PlatformVariantHolder&) = delete;
    PlatformVariantHolder& operator=(const PlatformVariantHolder&) = delete;

    PlatformVariant* get() { return &value_; }
    const PlatformVariant* get() const { return &value_; }
    Variant toVariant() const { return fromPlatformVariant(value_); }

private:
    PlatformVariant value_;
};

// ---- callers ----

// One argument of DispatchRef::invoke: by value (any Variant) or by reference (byRef()).
// It refers to the caller's Variant (temporaries are copied), so build it in the call.
class DispatchArg {
public:
    DispatchArg(const Variant& value)
        : value_(&value) {}
    // Temporaries are copied: `invoke(id, {std::string("select ..."), ...})`.
    DispatchArg(Variant&& value)
        : owned_(std::make_shared<Variant>(std::move(value))) {
        value_ = owned_.get();
    }
    template <typename T>
    requires std::is_constructible_v<Variant, T&&> &&
        (!std::is_same_v<std::remove_cvref_t<T>, Variant>)&&(
            !std::is_same_v<std::remove_cvref_t<T>, DispatchArg>)DispatchArg(T&& value)
        : DispatchArg(Variant(std::forward<T>(value))) {}

    bool isByRef() const { return target_ != nullptr; }
    const Variant& value() const { return target_ ? *target_ : *value_; }
    Variant* target() const { return target_; }

private:
    friend DispatchArg byRef(Variant& target);
    DispatchArg() = default;

    const Variant* value_ = nullptr;
    Variant* target_ = nullptr;      // by reference: written back after the call
    std::shared_ptr<Variant> owned_; // copy of a temporary passed by value
};

// Passes `target` by reference: the callee's write-back is copied into it after the call
// (also when the call fails, so a message array arrives).
DispatchArg byRef(Variant& target);

// A counted reference to a dispatch object (addRef on copy, release on destruction).
class DispatchRef {
public:
    DispatchRef() = default;
    // Takes a new reference (addRef).
    static DispatchRef retain(PlatformDispatch* object);
    // Takes over a reference the caller already holds (no addRef).
    static DispatchRef adopt(PlatformDispatch* object);

    DispatchRef(const DispatchRef& other);
    DispatchRef(DispatchRef&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)) {}
    DispatchRef& operator=(DispatchRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~DispatchRef() { reset(); }

    PlatformDispatch* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset();
    // Gives up the reference without releasing it.
    PlatformDispatch* detach() { return std::exchange(object_, nullptr); }

    // Calls operation `dispId` and returns its result. By-reference arguments receive the
    // callee's values. A non-OK status raises EDispatchError (after the write-back);
    // calling through an empty reference raises EDispatchError too.
    Variant invoke(std::int32_t dispId, std::initializer_list<DispatchArg> args = {}) const;
    Variant invoke(std::int32_t dispId, std::span<const DispatchArg> args) const;

    // Same, without raising: returns the status and stores the result (or error text).
    std::int32_t tryInvoke(std::int32_t dispId, std::span<const DispatchArg> args,
                           Variant& result) const;

private:
    PlatformDispatch* object_ = nullptr;
};

// ---- implementers ----

// The arguments an implementation receives, already converted to Variants.
class DispatchArgs {
public:
    std::size_t size() const { return values_.size(); }
    const Variant& operator[](std::size_t index) const;
    bool isByRef(std::size_t index) const;
    // Writes a by-reference argument back to the caller. Raises EDispatchError
    // (PLATFORM_DISP_TYPE_MISMATCH) when the argument is not by reference.
    void set(std::size_t index, Variant value);
    // Raises EDispatchError (PLATFORM_DISP_BAD_ARG_COUNT) unless size() == count.
    void expectCount(std::size_t count) const;

private:
    friend class DispatchObject;
    std::vector<Variant> values_;
    std::vector<bool> byRef_;
    std::vector<bool> written_;
};

// Base for C++ implementations. The object starts with one reference, held by whoever
// created it through makeDispatch(); it deletes itself when the last reference goes.
class DispatchObject {
public:
    DispatchObject();
    virtual ~DispatchObject();
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // The C view handed across the boundary.
    PlatformDispatch* dispatch() { return &bridge_.base; }
    static DispatchObject* fromDispatch(PlatformDispatch* object); // nullptr if not ours

protected:
    // Runs one operation. Raise EDispatchError for a specific status; any other exception
    // becomes PLATFORM_DISP_FAILED with its text. By-reference writes made through
    // args.set() reach the caller also when the operation raises.
    virtual Variant invoke(std::int32_t dispId, DispatchArgs& args) = 0;

private:
    struct Bridge {
        PlatformDispatch base;
        DispatchObject* owner;
    };
    static uint32_t addRefThunk(PlatformDispatch* self);
    static uint32_t releaseThunk(PlatformDispatch* self);
    static int32_t invokeThunk(PlatformDispatch* self, int32_t dispId, PlatformVariant* args,
                               int32_t argCount, PlatformVariant* result);
    static const PlatformDispatchVtbl vtbl_;

    Bridge bridge_;
    std::atomic<std::uint32_t> refCount_{1};
};

// Creates an implementation and returns the one reference it starts with.
template <typename T, typename... Args>
DispatchRef makeDispatch(Args&&... args) {
    auto* object = new T(std::forward<Args>(args)...);
    return DispatchRef::adopt(object->dispatch());
}

} // namespace platform
