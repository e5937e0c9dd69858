#pragma once

// The platform's Variant: one value of a small set of kinds, with the conversions the
// report engine and the host data service need.
//
// Conversions follow the rules the system was written against:
// - Empty converts to 0, false and ""; Null converts to "" only (to a number or Boolean it
//   raises EVariantError).
// - Booleans are "True" / "False" as text and -1 / 0 as numbers.
// - Strings convert to numbers when their blank-trimmed text is a decimal number
//   ("12", "-1.5", "1e3", "$1F" hexadecimal); to Booleans also from "True" / "False".
// - Doubles print with up to 15 significant digits, the shortest form ("1.5", "0.3",
//   "1E20", "1E-5"); currency with up to 4 decimals; dates as "yyyy-mm-dd hh:nn:ss"
//   (the date alone at midnight).
// - Doubles, currency and dates convert to integers by rounding half to even.

#include <compare>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// Raised by a conversion the value does not allow.
class EVariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class VarType : std::uint8_t {
    Empty, // never assigned
    Null,  // SQL null / no value
    Boolean,
    Integer, // int64
    Double,
    Currency, // int64 scaled by 10000
    Date,     // double: days since 1899-12-30, fraction = time of day
    String,   // UTF-8
    Array,    // array of Variants
    Bytes,    // byte array
};

class Variant;
using VariantArray = std::vector<Variant>;
using ByteArray = std::vector<std::uint8_t>;

// A currency amount: value × 10000, exact.
struct Currency {
    std::int64_t scaled = 0;
    static Currency
    fromDouble(double value); // rounds half away from zero; EVariantError on overflow
    double toDouble() const { return static_cast<double>(scaled) / 10000.0; }
    friend bool operator==(Currency, Currency) = default;
};

// A date-time: days since 1899-12-30 (day 0), fraction = time of day.
struct DateTime {
    double days = 0.0;
    // Builds from calendar parts; EVariantError when a part is out of range.
    static DateTime fromParts(int year, int month, int day, int hour = 0, int minute = 0,
                              int second = 0, int millisecond = 0);
    friend bool operator==(DateTime, DateTime) = default;
};

// Tag for the Null value: Variant(null).
struct NullValue {
    friend constexpr bool operator==(NullValue, NullValue) = default;
};
inline constexpr NullValue null{};

class Variant {
public:
    Variant() = default; // Empty
    // Out of line: inlined std::variant moves make GCC 12 report false "may be used
    // uninitialized" warnings at optimised call sites.
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();
    Variant(NullValue)
        : value_(NullValue{}) {}
    Variant(bool value)
        : value_(value) {}
    Variant(int value)
        : value_(static_cast<std::int64_t>(value)) {}
    Variant(unsigned value)
        : value_(static_cast<std::int64_t>(value)) {}
    Variant(long value)
        : value_(static_cast<std::int64_t>(value)) {}
    Variant(long long value)
        : value_(static_cast<std::int64_t>(value)) {}
    Variant(unsigned long value)
        : value_(static_cast<std::int64_t>(value)) {} // wraps above INT64_MAX
    Variant(double value)
        : value_(value) {}
    Variant(Currency value)
        : value_(value) {}
    Variant(DateTime value)
        : value_(value) {}
    Variant(std::string value)
        : value_(std::move(value)) {}
    Variant(std::string_view value)
        : value_(std::string(value)) {}
    Variant(const char* value)
        : value_(std::string(value ? value : "")) {}
    Variant(VariantArray value)
        : value_(std::move(value)) {}
    Variant(ByteArray value)
        : value_(std::move(value)) {}

    VarType type() const { return static_cast<VarType>(value_.index()); }
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isNull() const { return type() == VarType::Null; }
    // Empty or Null: "no value" for formatting and SQL.
    bool isEmptyOrNull() const { return isEmpty() || isNull(); }
    // Boolean, Integer, Double, Currency or Date.
    bool isNumeric() const;
    bool isString() const { return type() == VarType::String; }
    bool isArray() const { return type() == VarType::Array; }
    bool isBytes() const { return type() == VarType::Bytes; }

    // Conversions (see the file comment); EVariantError when not possible.
    std::string toString() const;
    double toDouble() const;
    std::int64_t toInt64() const;
    int toInt() const; // EVariantError when outside the 32-bit range
    bool toBool() const;
    Currency toCurrency() const;
    DateTime toDateTime() const;

    // Direct access to the stored value; EVariantError when the type differs.
    const std::string& stringValue() const;
    const VariantArray& arrayValue() const;
    VariantArray& arrayValue();
    const ByteArray& bytesValue() const;

    // "Empty", "Null", "Boolean", "Int64", "Double", "Currency", "Date", "String",
    // "Array", "Bytes".
    std::string_view typeName() const { return typeNameOf(type()); }
    static std::string_view typeNameOf(VarType type);

    // Ordering used by comparisons in expressions and sorting:
    //   Empty < Null < every other value;
    //   numbers (Boolean, Integer, Double, Currency, Date) numerically;
    //   strings as text (byte-wise UTF-8, i.e. by code point);
    //   a string and a number numerically when the string reads as a number, else as texts;
    //   arrays element by element, byte arrays byte by byte;
    //   otherwise by kind (numbers < strings < arrays < bytes).
    // NaN is ordered after every other number and equal to NaN.
    std::weak_ordering compare(const Variant& other) const;
    // Same ordering, letters compared without regard to case (Unicode simple case folding).
    std::weak_ordering compareText(const Variant& other, bool caseInsensitive) const;

    // Same kind and same value (1 and 1.0 differ; use compare() for loose equality).
    friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

private:
    // Alternative index == VarType.
    std::variant<std::monostate, NullValue, bool, std::int64_t, double, Currency, DateTime,
                 std::string, VariantArray, ByteArray>
        value_;
};

// The conversion error for `from` → `to`:
// "Could not convert variant of type (String) into type (Double)".
[[noreturn]] void throwConversionError(VarType from, VarType to);

} // namespace platform
