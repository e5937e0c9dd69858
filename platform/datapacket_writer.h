/*
 * Writing data packets, as plain C: what a host answers OpenQuery and GetSysParams with
 * (the format of docs/datapacket.md, version 1). Header-only, for hosts of the plug-in;
 * the plug-in's own reader is the one that checks these packets.
 *
 *     HsdwPacketWriter w;
 *     hsdw_packet_begin(&w, 2);                      // two fields
 *     hsdw_packet_add_field(&w, "f_Hsdwh", 7);
 *     hsdw_packet_add_field(&w, "f_Hsdwmc", 8);
 *     hsdw_packet_add_text(&w, "0001", 4);           // row 1
 *     hsdw_packet_add_null(&w);
 *     ...                                            // further rows, field by field
 *     if (hsdw_packet_finish(&w, platform_variant_deref(&args[1])) != HSDW_PACKET_OK) ...
 *
 * The field names come first, then the cells row by row; every field_count cells make a
 * row. A writer stops at its first failure: later calls do nothing and return that
 * failure again, and hsdw_packet_finish returns it, so a host can check once at the end.
 * Texts must be UTF-8 (strictly: no overlong forms, no surrogates, nothing above
 * U+10FFFF), as the reader refuses anything else. hsdw_packet_finish hands the buffer to a
 * PV_BYTES variant (it is malloc'ed, as dispatch_abi.h asks); hsdw_packet_discard frees an
 * unfinished one. Every call leaves the writer valid for hsdw_packet_discard.
 */
#ifndef HSDW_DATAPACKET_WRITER_H
#define HSDW_DATAPACKET_WRITER_H

#include "dispatch_abi.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results. */
enum {
    HSDW_PACKET_OK = 0,
    HSDW_PACKET_OUT_OF_MEMORY = 1,
    HSDW_PACKET_NOT_UTF8 = 2,   /* a name or text is not valid UTF-8 */
    HSDW_PACKET_TOO_LARGE = 3,  /* over 65535 fields, a text over 4 GiB, over 2^32-1 rows */
    HSDW_PACKET_WRONG_ORDER = 4 /* a cell before every name, a name too many, a cell with no
                                   fields, a last row left unfinished */
};

#define HSDW_PACKET_MAX_FIELDS 65535u

typedef struct HsdwPacketWriter {
    uint8_t* data; /* malloc'ed bytes written so far */
    size_t size;
    size_t capacity;
    uint32_t field_count;
    uint32_t names_written;
    uint64_t cells_written;
    int status; /* HSDW_PACKET_*: the first failure, or OK */
} HsdwPacketWriter;

/* Strict UTF-8. */
static inline int hsdw_packet_is_utf8(const char* text, size_t length) {
    const unsigned char* s = (const unsigned char*)text;
    size_t i = 0;
    while (i < length) {
        unsigned char c = s[i];
        size_t n, k;
        uint32_t cp, min;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            n = 2, cp = c & 0x1Fu, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            n = 3, cp = c & 0x0Fu, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            n = 4, cp = c & 0x07u, min = 0x10000;
        } else {
            return 0;
        }
        if (length - i < n)
            return 0;
        for (k = 1; k < n; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return 0;
            cp = (cp << 6) | (s[i + k] & 0x3Fu);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0;
        i += n;
    }
    return 1;
}

/* ---- internals ---- */

static inline int hsdw_packet_fail_(HsdwPacketWriter* w, int status) {
    if (w->status == HSDW_PACKET_OK)
        w->status = status;
    return w->status;
}

static inline int hsdw_packet_reserve_(HsdwPacketWriter* w, size_t more) {
    size_t wanted;
    uint8_t* grown;
    if (more > SIZE_MAX - w->size)
        return hsdw_packet_fail_(w, HSDW_PACKET_TOO_LARGE);
    wanted = w->size + more;
    if (wanted <= w->capacity)
        return HSDW_PACKET_OK;
    if (wanted < 256)
        wanted = 256;
    if (wanted < w->capacity / 2 * 3)
        wanted = w->capacity / 2 * 3;
    grown = (uint8_t*)realloc(w->data, wanted);
    if (!grown)
        return hsdw_packet_fail_(w, HSDW_PACKET_OUT_OF_MEMORY);
    w->data = grown;
    w->capacity = wanted;
    return HSDW_PACKET_OK;
}

static inline void hsdw_packet_put_u32_(uint8_t* at, uint32_t value) {
    at[0] = (uint8_t)value;
    at[1] = (uint8_t)(value >> 8);
    at[2] = (uint8_t)(value >> 16);
    at[3] = (uint8_t)(value >> 24);
}

/* A length-prefixed UTF-8 text, after an optional one-byte tag (tag < 0: none). */
static inline int hsdw_packet_put_text_(HsdwPacketWriter* w, int tag, const char* text,
                                        size_t length) {
    size_t head = tag >= 0 ? 5 : 4;
    if (length > 0xFFFFFFFFu)
        return hsdw_packet_fail_(w, HSDW_PACKET_TOO_LARGE);
    if (length && !text)
        return hsdw_packet_fail_(w, HSDW_PACKET_NOT_UTF8);
    if (!hsdw_packet_is_utf8(text, length))
        return hsdw_packet_fail_(w, HSDW_PACKET_NOT_UTF8);
    if (hsdw_packet_reserve_(w, head + length) != HSDW_PACKET_OK)
        return w->status;
    if (tag >= 0)
        w->data[w->size++] = (uint8_t)tag;
    hsdw_packet_put_u32_(w->data + w->size, (uint32_t)length);
    w->size += 4;
    if (length)
        memcpy(w->data + w->size, text, length);
    w->size += length;
    return HSDW_PACKET_OK;
}

static inline int hsdw_packet_start_cell_(HsdwPacketWriter* w) {
    if (w->status != HSDW_PACKET_OK)
        return w->status;
    if (w->field_count == 0 || w->names_written < w->field_count)
        return hsdw_packet_fail_(w, HSDW_PACKET_WRONG_ORDER);
    if (w->cells_written / w->field_count >= 0xFFFFFFFFu)
        return hsdw_packet_fail_(w, HSDW_PACKET_TOO_LARGE);
    return HSDW_PACKET_OK;
}

/* ---- the writer ---- */

/* Starts a packet of field_count fields (0 makes an empty packet: no names, no rows) in an
 * empty writer: a new one, or one after hsdw_packet_finish or hsdw_packet_discard. */
static inline int hsdw_packet_begin(HsdwPacketWriter* w, uint32_t field_count) {
    static const uint8_t head[16] = {'Q', 'D', 'P', 'K', 1, 0, 0, 0};
    memset(w, 0, sizeof *w);
    if (field_count > HSDW_PACKET_MAX_FIELDS)
        return hsdw_packet_fail_(w, HSDW_PACKET_TOO_LARGE);
    if (hsdw_packet_reserve_(w, sizeof head) != HSDW_PACKET_OK)
        return w->status;
    memcpy(w->data, head, sizeof head);
    hsdw_packet_put_u32_(w->data + 8, field_count); /* the row count follows at finish */
    w->size = sizeof head;
    w->field_count = field_count;
    return HSDW_PACKET_OK;
}

/* The next field's name (may be empty or repeat another). */
static inline int hsdw_packet_add_field(HsdwPacketWriter* w, const char* name, size_t length) {
    if (w->status != HSDW_PACKET_OK)
        return w->status;
    if (w->names_written >= w->field_count)
        return hsdw_packet_fail_(w, HSDW_PACKET_WRONG_ORDER);
    if (hsdw_packet_put_text_(w, -1, name, length) != HSDW_PACKET_OK)
        return w->status;
    ++w->names_written;
    return HSDW_PACKET_OK;
}

/* The next cell: a text (may be empty). */
static inline int hsdw_packet_add_text(HsdwPacketWriter* w, const char* text, size_t length) {
    if (hsdw_packet_start_cell_(w) != HSDW_PACKET_OK)
        return w->status;
    if (hsdw_packet_put_text_(w, 1, text, length) != HSDW_PACKET_OK)
        return w->status;
    ++w->cells_written;
    return HSDW_PACKET_OK;
}

/* The next cell: no value (SQL null). */
static inline int hsdw_packet_add_null(HsdwPacketWriter* w) {
    if (hsdw_packet_start_cell_(w) != HSDW_PACKET_OK)
        return w->status;
    if (hsdw_packet_reserve_(w, 1) != HSDW_PACKET_OK)
        return w->status;
    w->data[w->size++] = 0;
    ++w->cells_written;
    return HSDW_PACKET_OK;
}

/* Rows completed so far. */
static inline uint64_t hsdw_packet_row_count(const HsdwPacketWriter* w) {
    return w->field_count ? w->cells_written / w->field_count : 0;
}

/* Frees what the writer holds; it is then empty (status OK, no fields). */
static inline void hsdw_packet_discard(HsdwPacketWriter* w) {
    free(w->data);
    memset(w, 0, sizeof *w);
}

/* Completes the packet into *out (cleared first) as a PV_BYTES variant and empties the
 * writer. On a failure *out is left untouched, the writer is discarded and the failure
 * returned. */
static inline int hsdw_packet_finish(HsdwPacketWriter* w, PlatformVariant* out) {
    int status = w->status;
    if (status == HSDW_PACKET_OK && (w->names_written < w->field_count ||
                                     (w->field_count && w->cells_written % w->field_count != 0)))
        status = HSDW_PACKET_WRONG_ORDER;
    if (status == HSDW_PACKET_OK && !w->data)
        status = HSDW_PACKET_WRONG_ORDER; /* never begun */
    if (status != HSDW_PACKET_OK) {
        hsdw_packet_discard(w);
        return status;
    }
    hsdw_packet_put_u32_(w->data + 12, (uint32_t)hsdw_packet_row_count(w));
    platform_variant_clear(out);
    out->type = PV_BYTES;
    out->value.bytes.data = w->data;
    out->value.bytes.length = w->size;
    memset(w, 0, sizeof *w);
    return HSDW_PACKET_OK;
}

#ifdef __cplusplus
}
#endif

#endif /* HSDW_DATAPACKET_WRITER_H */
