#include "platform/Dispatch.h"

#include <new>

namespace platform {

static_assert(sizeof(PlatformVariant) == 24, "PlatformVariant is part of the ABI");

namespace detail {
namespace {

constexpr int kMaxDepth = 64;

void fill(const Variant& value, PlatformVariant& out, int depth) {
    if (depth > kMaxDepth)
        throw EVariantError("Variant nesting too deep");
    switch (value.type()) {
    case VarType::Empty:
        break;
    case VarType::Null:
        out.type = PV_NULL;
        break;
    case VarType::Boolean:
        platform_variant_set_bool(&out, value.toBool());
        break;
    case VarType::Integer:
        platform_variant_set_int64(&out, value.toInt64());
        break;
    case VarType::Double:
        platform_variant_set_double(&out, value.toDouble());
        break;
    case VarType::Currency:
        out.type = PV_CURRENCY;
        out.value.integer = value.toCurrency().scaled;
        break;
    case VarType::Date:
        out.type = PV_DATE;
        out.value.real = value.toDateTime().days;
        break;
    case VarType::String: {
        const std::string& text = value.stringValue();
        if (!platform_variant_set_string(&out, text.data(), text.size()))
            throw std::bad_alloc();
        break;
    }
    case VarType::Array: {
        const VariantArray& items = value.arrayValue();
        if (!platform_variant_set_array(&out, items.size()))
            throw std::bad_alloc();
        for (std::size_t i = 0; i < items.size(); ++i)
            fill(items[i], out.value.array.items[i], depth + 1);
        break;
    }
    case VarType::Bytes: {
        const ByteArray& bytes = value.bytesValue();
        if (!platform_variant_set_bytes(&out, bytes.data(), bytes.size()))
            throw std::bad_alloc();
        break;
    }
    }
}

[[noreturn]] void malformed(const char* what) {
    throw EVariantError(std::string("Malformed variant: ") + what);
}

Variant read(const PlatformVariant& value, int depth) {
    if (depth > kMaxDepth)
        malformed("nesting too deep");
    switch (value.type) {
    case PV_EMPTY:
        return {};
    case PV_NULL:
        return Variant(null);
    case PV_BOOL:
        return Variant(value.value.boolean != 0);
    case PV_INT64:
        return Variant(static_cast<std::int64_t>(value.value.integer));
    case PV_DOUBLE:
        return Variant(value.value.real);
    case PV_CURRENCY:
        return Variant(Currency{value.value.integer});
    case PV_DATE:
        return Variant(DateTime{value.value.real});
    case PV_STRING: {
        const auto& s = value.value.string;
        if (s.length == 0)
            return Variant(std::string());
        if (!s.data)
            malformed("string without data");
        if (s.length > std::string().max_size())
            malformed("string too long");
        return Variant(std::string(s.data, static_cast<std::size_t>(s.length)));
    }
    case PV_ARRAY: {
        const auto& a = value.value.array;
        if (a.count != 0 && !a.items)
            malformed("array without items");
        if (a.count > VariantArray().max_size())
            malformed("array too long");
        VariantArray items;
        items.reserve(static_cast<std::size_t>(a.count));
        for (std::uint64_t i = 0; i < a.count; ++i) {
            if (a.items[i].type == PV_BYREF)
                malformed("by-reference value inside an array");
            items.push_back(read(a.items[i], depth + 1));
        }
        return Variant(std::move(items));
    }
    case PV_BYTES: {
        const auto& b = value.value.bytes;
        if (b.length != 0 && !b.data)
            malformed("byte array without data");
        if (b.length > ByteArray().max_size())
            malformed("byte array too long");
        return Variant(ByteArray(b.data, b.data + b.length));
    }
    case PV_BYREF:
        if (depth != 0 || !value.value.ref || value.value.ref->type == PV_BYREF)
            malformed("invalid by-reference value");
        return read(*value.value.ref, depth + 1);
    default:
        malformed("unknown kind");
    }
}

std::string errorTextOf(std::int32_t status, const PlatformVariant& result) {
    if (result.type == PV_STRING && result.value.string.length != 0 && result.value.string.data)
        return std::string(result.value.string.data,
                           static_cast<std::size_t>(result.value.string.length));
    return dispatchStatusText(status);
}

} // namespace
} // namespace detail

std::string dispatchStatusText(std::int32_t status) {
    switch (status) {
    case PLATFORM_DISP_OK:
        return "成功";
    case PLATFORM_DISP_UNKNOWN_DISPID:
        return "调用的操作不存在";
    case PLATFORM_DISP_BAD_ARG_COUNT:
        return "调用的参数个数不正确";
    case PLATFORM_DISP_TYPE_MISMATCH:
        return "调用的参数类型不匹配";
    case PLATFORM_DISP_FAILED:
        return "调用失败";
    case PLATFORM_DISP_OUT_OF_MEMORY:
        return "内存不足";
    case PLATFORM_DISP_BAD_VARIANT:
        return "调用的参数格式错误";
    default:
        return "调用失败 (状态 " + std::to_string(status) + ")";
    }
}

void toPlatformVariant(const Variant& value, PlatformVariant& out) {
    platform_variant_clear(&out);
    try {
        detail::fill(value, out, 0);
    } catch (...) {
        platform_variant_clear(&out);
        throw;
    }
}

Variant fromPlatformVariant(const PlatformVariant& value) {
    return detail::read(value, 0);
}

// ---- callers ----

DispatchArg byRef(Variant& target) {
    DispatchArg arg;
    arg.target_ = &target;
    arg.value_ = &target;
    return arg;
}

DispatchRef DispatchRef::retain(PlatformDispatch* object) {
    DispatchRef ref;
    if (object) {
        object->vtbl->addRef(object);
        ref.object_ = object;
    }
    return ref;
}

DispatchRef DispatchRef::adopt(PlatformDispatch* object) {
    DispatchRef ref;
    ref.object_ = object;
    return ref;
}

DispatchRef::DispatchRef(const DispatchRef& other)
    : object_(other.object_) {
    if (object_)
        object_->vtbl->addRef(object_);
}

void DispatchRef::reset() {
    if (auto* object = std::exchange(object_, nullptr))
        object->vtbl->release(object);
}

Variant DispatchRef::invoke(std::int32_t dispId, std::initializer_list<DispatchArg> args) const {
    return invoke(dispId, std::span<const DispatchArg>(args.begin(), args.size()));
}

Variant DispatchRef::invoke(std::int32_t dispId, std::span<const DispatchArg> args) const {
    Variant result;
    std::int32_t status = tryInvoke(dispId, args, result);
    if (status != PLATFORM_DISP_OK)
        throw EDispatchError(status, result.isString() && !result.stringValue().empty()
                                         ? result.stringValue()
                                         : dispatchStatusText(status));
    return result;
}

std::int32_t DispatchRef::tryInvoke(std::int32_t dispId, std::span<const DispatchArg> args,
                                    Variant& result) const {
    if (!object_) {
        result = Variant("数据服务不可用");
        return PLATFORM_DISP_FAILED;
    }
    if (args.size() > static_cast<std::size_t>(INT32_MAX))
        throw EDispatchError(PLATFORM_DISP_BAD_ARG_COUNT,
                             dispatchStatusText(PLATFORM_DISP_BAD_ARG_COUNT));

    // targets[i] holds the value a by-reference argument points to.
    std::vector<PlatformVariantHolder> targets(args.size());
    std::vector<PlatformVariant> raw(args.size());
    for (auto& v : raw)
        platform_variant_init(&v);
    struct Cleanup {
        std::vector<PlatformVariant>& raw;
        ~Cleanup() {
            for (auto& v : raw)
                platform_variant_clear(&v);
        }
    } cleanup{raw};

    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].isByRef()) {
            toPlatformVariant(args[i].value(), *targets[i].get());
            platform_variant_set_ref(&raw[i], targets[i].get());
        } else {
            toPlatformVariant(args[i].value(), raw[i]);
        }
    }

    PlatformVariantHolder out;
    std::int32_t status = object_->vtbl->invoke(object_, dispId, raw.data(),
                                                static_cast<std::int32_t>(raw.size()), out.get());
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].isByRef())
            *args[i].target() = targets[i].toVariant();
    }
    if (status != PLATFORM_DISP_OK) {
        result = Variant(detail::errorTextOf(status, *out.get()));
        return status;
    }
    result = out.toVariant();
    return status;
}

// ---- implementers ----

const Variant& DispatchArgs::operator[](std::size_t index) const {
    if (index >= values_.size())
        throw EDispatchError(PLATFORM_DISP_BAD_ARG_COUNT,
                             dispatchStatusText(PLATFORM_DISP_BAD_ARG_COUNT));
    return values_[index];
}

bool DispatchArgs::isByRef(std::size_t index) const {
    return index < byRef_.size() && byRef_[index];
}

void DispatchArgs::set(std::size_t index, Variant value) {
    if (!isByRef(index))
        throw EDispatchError(PLATFORM_DISP_TYPE_MISMATCH,
                             dispatchStatusText(PLATFORM_DISP_TYPE_MISMATCH));
    values_[index] = std::move(value);
    written_[index] = true;
}

void DispatchArgs::expectCount(std::size_t count) const {
    if (values_.size() != count)
        throw EDispatchError(PLATFORM_DISP_BAD_ARG_COUNT,
                             dispatchStatusText(PLATFORM_DISP_BAD_ARG_COUNT));
}

const PlatformDispatchVtbl DispatchObject::vtbl_ = {
    &DispatchObject::addRefThunk, &DispatchObject::releaseThunk, &DispatchObject::invokeThunk};

DispatchObject::DispatchObject()
    : bridge_{PlatformDispatch{&vtbl_}, this} {}

DispatchObject::~DispatchObject() = default;

DispatchObject* DispatchObject::fromDispatch(PlatformDispatch* object) {
    if (!object || object->vtbl != &vtbl_)
        return nullptr;
    return reinterpret_cast<Bridge*>(object)->owner;
}

uint32_t DispatchObject::addRefThunk(PlatformDispatch* self) {
    return ++reinterpret_cast<Bridge*>(self)->owner->refCount_;
}

uint32_t DispatchObject::releaseThunk(PlatformDispatch* self) {
    DispatchObject* owner = reinterpret_cast<Bridge*>(self)->owner;
    std::uint32_t count = --owner->refCount_;
    if (count == 0)
        delete owner;
    return count;
}

int32_t DispatchObject::invokeThunk(PlatformDispatch* self, int32_t dispId, PlatformVariant* args,
                                    int32_t argCount, PlatformVariant* result) {
    try {
        if (!self || !result)
            return PLATFORM_DISP_BAD_VARIANT;
        // The caller passes an Empty result; never free what it may not own.
        platform_variant_init(result);
        if (argCount < 0 || (argCount > 0 && !args))
            return PLATFORM_DISP_BAD_ARG_COUNT;

        DispatchArgs params;
        params.values_.reserve(static_cast<std::size_t>(argCount));
        for (int32_t i = 0; i < argCount; ++i) {
            bool byRef = args[i].type == PV_BYREF;
            try {
                params.values_.push_back(fromPlatformVariant(args[i]));
            } catch (const EVariantError&) {
                return PLATFORM_DISP_BAD_VARIANT;
            }
            params.byRef_.push_back(byRef);
            params.written_.push_back(false);
        }

        Variant value;
        std::int32_t status = PLATFORM_DISP_OK;
        std::string error;
        try {
            value = reinterpret_cast<Bridge*>(self)->owner->invoke(dispId, params);
        } catch (const EDispatchError& e) {
            status = e.status() == PLATFORM_DISP_OK ? PLATFORM_DISP_FAILED : e.status();
            error = e.what();
        } catch (const std::bad_alloc&) {
            status = PLATFORM_DISP_OUT_OF_MEMORY;
        } catch (const std::exception& e) {
            status = PLATFORM_DISP_FAILED;
            error = e.what();
        } catch (...) {
            status = PLATFORM_DISP_FAILED;
            error = "未知错误";
        }

        for (int32_t i = 0; i < argCount; ++i) {
            if (params.written_[static_cast<std::size_t>(i)])
                toPlatformVariant(params.values_[static_cast<std::size_t>(i)], *args[i].value.ref);
        }
        if (status == PLATFORM_DISP_OK)
            toPlatformVariant(value, *result);
        else if (!error.empty())
            toPlatformVariant(Variant(error), *result);
        return status;
    } catch (const std::bad_alloc&) {
        return PLATFORM_DISP_OUT_OF_MEMORY;
    } catch (...) {
        return PLATFORM_DISP_FAILED;
    }
}

} // namespace platform
