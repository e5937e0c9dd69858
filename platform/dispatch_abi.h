/*
 * Late-bound dispatch across a shared-library boundary, as plain C.
 *
 * A service (for example the host's data service) is a reference-counted object whose
 * first member points to a table of three functions: addRef, release and invoke. Callers
 * invoke operations by number (DispID) with positional Variant arguments; any language
 * with a C FFI can implement or call it. See docs/dispatch.md.
 *
 * Memory rules (every party in one process shares the C library's heap):
 *  - Every string, array and byte array inside a PlatformVariant is allocated with
 *    malloc() and owned by the variant; platform_variant_clear() frees it with free()
 *    and leaves the variant Empty. Use the platform_variant_set_* helpers below to fill.
 *  - Arguments belong to the caller. By-value arguments are read-only for the callee.
 *    A by-reference argument (PV_BYREF) points to a caller-owned variant: the callee may
 *    replace its content by clearing it first, then filling it; the caller clears it
 *    when done.
 *  - The result belongs to the caller: it passes an Empty variant, the callee fills it,
 *    the caller clears it. On a failing status the callee may leave a PV_STRING with the
 *    error text in the result.
 *  - Arguments are in natural order: args[0] is the first argument.
 *  - invoke never lets an error escape other than through its status (no C++ exception,
 *    no longjmp).
 */
#ifndef PLATFORM_DISPATCH_ABI_H
#define PLATFORM_DISPATCH_ABI_H

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Variant kinds. Values are part of the ABI. */
enum {
    PV_EMPTY = 0,
    PV_NULL = 1,
    PV_BOOL = 2,     /* value.boolean: 0 false, anything else true */
    PV_INT64 = 3,    /* value.integer */
    PV_DOUBLE = 4,   /* value.real */
    PV_CURRENCY = 5, /* value.integer: amount × 10000 */
    PV_DATE = 6,     /* value.real: days since 1899-12-30, fraction = time of day */
    PV_STRING = 7,   /* value.string: UTF-8, length bytes, data[length] == 0 */
    PV_ARRAY = 8,    /* value.array: count variants (none of them PV_BYREF) */
    PV_BYTES = 9,    /* value.bytes */
    PV_BYREF = 10    /* value.ref: caller-owned variant (never itself PV_BYREF) */
};

typedef struct PlatformVariant PlatformVariant;

struct PlatformVariant {
    int32_t type;     /* PV_* */
    int32_t reserved; /* 0 */
    union {
        int32_t boolean;
        int64_t integer;
        double real;
        struct {
            char* data; /* malloc'ed, NUL-terminated; may be NULL when length == 0 */
            uint64_t length;
        } string;
        struct {
            PlatformVariant* items; /* malloc'ed; may be NULL when count == 0 */
            uint64_t count;
        } array;
        struct {
            uint8_t* data; /* malloc'ed; may be NULL when length == 0 */
            uint64_t length;
        } bytes;
        PlatformVariant* ref;
    } value;
};

/* Status codes returned by invoke. */
enum {
    PLATFORM_DISP_OK = 0,
    PLATFORM_DISP_UNKNOWN_DISPID = 1, /* no such operation */
    PLATFORM_DISP_BAD_ARG_COUNT = 2,  /* wrong number of arguments */
    PLATFORM_DISP_TYPE_MISMATCH = 3,  /* an argument has the wrong kind or is not by reference */
    PLATFORM_DISP_FAILED = 4,         /* the operation raised an error; text in the result */
    PLATFORM_DISP_OUT_OF_MEMORY = 5,
    PLATFORM_DISP_BAD_VARIANT = 6 /* a malformed PlatformVariant was passed */
};

/* Operation numbers of the host's data service. */
#define PLATFORM_DISPID_OPEN_QUERY 0x60020000
#define PLATFORM_DISPID_EXEC_SQL 2
#define PLATFORM_DISPID_GET_SERVER_DATE_TIME 6
#define PLATFORM_DISPID_GET_DB_TYPE 20
#define PLATFORM_DISPID_GET_SYS_PARAMS 100

typedef struct PlatformDispatch PlatformDispatch;

typedef struct PlatformDispatchVtbl {
    /* Returns the new count (informational). */
    uint32_t (*addRef)(PlatformDispatch* self);
    /* Frees the object when the count reaches 0; returns the new count. */
    uint32_t (*release)(PlatformDispatch* self);
    /* Runs operation dispId; fills *result (never NULL, Empty on entry). */
    int32_t (*invoke)(PlatformDispatch* self, int32_t dispId, PlatformVariant* args,
                      int32_t argCount, PlatformVariant* result);
} PlatformDispatchVtbl;

/* An implementation embeds this as its first member. */
struct PlatformDispatch {
    const PlatformDispatchVtbl* vtbl;
};

/* ---- helpers (header-only, usable from C) ---- */

static inline void platform_variant_init(PlatformVariant* v) {
    memset(v, 0, sizeof *v);
}

/* Frees the owned content (recursively) and leaves v Empty. A PV_BYREF variant only
 * forgets its target: the target belongs to someone else. */
static inline void platform_variant_clear(PlatformVariant* v) {
    if (!v)
        return;
    if (v->type == PV_STRING) {
        free(v->value.string.data);
    } else if (v->type == PV_BYTES) {
        free(v->value.bytes.data);
    } else if (v->type == PV_ARRAY) {
        uint64_t i;
        for (i = 0; i < v->value.array.count; ++i)
            platform_variant_clear(&v->value.array.items[i]);
        free(v->value.array.items);
    }
    platform_variant_init(v);
}

static inline void platform_variant_set_bool(PlatformVariant* v, int value) {
    platform_variant_clear(v);
    v->type = PV_BOOL;
    v->value.boolean = value ? 1 : 0;
}

static inline void platform_variant_set_int64(PlatformVariant* v, int64_t value) {
    platform_variant_clear(v);
    v->type = PV_INT64;
    v->value.integer = value;
}

static inline void platform_variant_set_double(PlatformVariant* v, double value) {
    platform_variant_clear(v);
    v->type = PV_DOUBLE;
    v->value.real = value;
}

/* Copies length bytes of UTF-8 text. Returns 0 when out of memory (v is then Empty). */
static inline int platform_variant_set_string(PlatformVariant* v, const char* text,
                                              uint64_t length) {
    char* copy;
    platform_variant_clear(v);
    if (length >= SIZE_MAX)
        return 0;
    copy = (char*)malloc((size_t)length + 1);
    if (!copy)
        return 0;
    if (length)
        memcpy(copy, text, (size_t)length);
    copy[length] = 0;
    v->type = PV_STRING;
    v->value.string.data = copy;
    v->value.string.length = length;
    return 1;
}

/* Copies length bytes. Returns 0 when out of memory (v is then Empty). */
static inline int platform_variant_set_bytes(PlatformVariant* v, const void* data,
                                             uint64_t length) {
    uint8_t* copy = NULL;
    platform_variant_clear(v);
    if (length) {
        if (length >= SIZE_MAX)
            return 0;
        copy = (uint8_t*)malloc((size_t)length);
        if (!copy)
            return 0;
        memcpy(copy, data, (size_t)length);
    }
    v->type = PV_BYTES;
    v->value.bytes.data = copy;
    v->value.bytes.length = length;
    return 1;
}

/* Makes v an array of count Empty variants to be filled in place. Returns 0 when out of
 * memory (v is then Empty). */
static inline int platform_variant_set_array(PlatformVariant* v, uint64_t count) {
    PlatformVariant* items = NULL;
    platform_variant_clear(v);
    if (count) {
        if (count > SIZE_MAX / sizeof(PlatformVariant))
            return 0;
        items = (PlatformVariant*)calloc((size_t)count, sizeof(PlatformVariant));
        if (!items)
            return 0;
    }
    v->type = PV_ARRAY;
    v->value.array.items = items;
    v->value.array.count = count;
    return 1;
}

/* Makes v a by-reference argument to target (which stays owned by the caller). */
static inline void platform_variant_set_ref(PlatformVariant* v, PlatformVariant* target) {
    platform_variant_clear(v);
    v->type = PV_BYREF;
    v->value.ref = target;
}

/* The variant an argument stands for: its target when by reference, else itself. */
static inline PlatformVariant* platform_variant_deref(PlatformVariant* v) {
    return (v && v->type == PV_BYREF) ? v->value.ref : v;
}

#ifdef __cplusplus
}
#endif

#endif /* PLATFORM_DISPATCH_ABI_H */
