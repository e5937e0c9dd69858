/* A query answer written in plain C with the kit's packet writer, as a C host writes it:
 * fields f_Hsdwh, f_Hsdwmc; rows ("0001", "集团总部") and ("0002", null). */
#include "platform/datapacket_writer.h"

static int addText(HsdwPacketWriter* w, const char* text) {
    return hsdw_packet_add_text(w, text, strlen(text));
}

int cstyle_packet_write(PlatformVariant* out) {
    HsdwPacketWriter w;
    hsdw_packet_begin(&w, 2);
    hsdw_packet_add_field(&w, "f_Hsdwh", 7);
    hsdw_packet_add_field(&w, "f_Hsdwmc", 8);
    addText(&w, "0001");
    addText(&w, "\xe9\x9b\x86\xe5\x9b\xa2\xe6\x80\xbb\xe9\x83\xa8");
    addText(&w, "0002");
    hsdw_packet_add_null(&w);
    return hsdw_packet_finish(&w, out);
}
