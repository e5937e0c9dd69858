/*
 * Public C interface of the accounting-unit archive plug-in (libhsdwarchive.so).
 *
 * The library exports exactly two functions, both with C linkage, five pointer-sized
 * arguments and no result:
 *
 *   GetFormOne       opens the archive window embedded in a container of the host;
 *   GetFormOne_Hsdw  opens it as a free-standing dialog (the container argument is ignored
 *                    and may be NULL).
 *
 * The host and the plug-in share one process and one Qt application: the host creates the
 * QApplication (the plug-in never creates one) and runs the event loop; the window the
 * entry point opens lives on in that loop after the call has returned. Both sides link
 * their own copy of the platform layer, whose window-handle registry, message-box service
 * and modal hook are published on the QApplication instance and therefore shared.
 *
 * Arguments, in order:
 *
 *  1  app_window      The host's application window: a platform window handle
 *                     (platform::handleOf(mainWindow)). It owns the plug-in's top-level
 *                     windows and its message boxes.
 *  2  notify_control  Handle of a host object that receives message 1028
 *                     (HSDW_WM_PLUGIN_CLOSING, wParam 0, lParam 0) synchronously when the
 *                     plug-in window closes. It is a QObject with the invokable
 *                         qintptr windowMessage(uint message, quintptr wParam, qintptr lParam)
 *                     registered with platform::handleOf(). It must not destroy the
 *                     window's container while handling the message (defer that).
 *  3  operator_code   The code of the operator logged on: one length byte (0 to 255)
 *                     followed by that many bytes of GBK text. Copied during the call;
 *                     NULL counts as an empty code.
 *  4  container       GetFormOne: the container to embed into (HsdwHostContainer, read
 *                     during the call). The plug-in makes the container's widget the parent
 *                     of its window: destroying the container destroys the window, without
 *                     message 1028. The host sends HSDW_WM_RESIZE_PANEL (wParam = height,
 *                     lParam = width) to the window's handle when the container is resized;
 *                     the window is the container widget's child that answers windowMessage.
 *                     GetFormOne_Hsdw: ignored.
 *  5  data_service    The host's data service (ICoorDisp) as a dispatch object
 *                     (platform/dispatch_abi.h) with the operations HSDW_DISPID_*. The
 *                     plug-in takes its own counted reference and keeps it until the next
 *                     entry call or until the library is unloaded, so the host may release
 *                     its reference right after the call.
 *
 * No C++ exception ever leaves an entry point: a failure is shown in a message box owned
 * by app_window and the call returns.
 *
 * Data-service operations (by-reference arguments are PV_BYREF variants; a false result
 * leaves a one-dimensional array of message texts in the by-reference argument):
 *
 *   HSDW_DISPID_OPEN_QUERY (0x60020000)  (sql: string, data: byref) -> Boolean
 *        true: data holds a data packet (byte array, see docs/datapacket.md)
 *   HSDW_DISPID_EXEC_SQL (2)             (statement: byref, SQL text in) -> Boolean
 *   HSDW_DISPID_GET_SERVER_DATE_TIME (6) (value: byref) -> Boolean
 *        true: value holds "yyyymmddhhnnss"
 *   HSDW_DISPID_GET_SYS_PARAMS (100)     (data: byref) -> Boolean
 *        true: data holds a data packet with the fields f_Csmc (name) and f_csz (value)
 *   HSDW_DISPID_GET_DB_TYPE (20)         () -> string "DB2", "SQLSERVER" or "ORACLE";
 *        a failing status counts as a raised error
 */
#ifndef HSDW_PLUGIN_ABI_H
#define HSDW_PLUGIN_ABI_H

#include "platform/dispatch_abi.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A platform window handle (platform::WindowHandle). */
typedef uintptr_t HsdwWindowHandle;

/* Window messages. */
#define HSDW_WM_RESIZE_PANEL 0x402  /* host -> plug-in window: wParam height, lParam width */
#define HSDW_WM_PLUGIN_CLOSING 1028 /* plug-in -> notify control: the window is closing */

/* Data-service operations. */
#define HSDW_DISPID_OPEN_QUERY PLATFORM_DISPID_OPEN_QUERY
#define HSDW_DISPID_EXEC_SQL PLATFORM_DISPID_EXEC_SQL
#define HSDW_DISPID_GET_SERVER_DATE_TIME PLATFORM_DISPID_GET_SERVER_DATE_TIME
#define HSDW_DISPID_GET_DB_TYPE PLATFORM_DISPID_GET_DB_TYPE
#define HSDW_DISPID_GET_SYS_PARAMS PLATFORM_DISPID_GET_SYS_PARAMS

/* The container an embedded window goes into. */
typedef struct HsdwHostContainer {
    HsdwWindowHandle handle; /* a widget of the host, registered with platform::handleOf() */
    int32_t width;           /* client size in pixels at the time of the call */
    int32_t height;
} HsdwHostContainer;

typedef void (*HsdwGetFormOneFn)(HsdwWindowHandle app_window, HsdwWindowHandle notify_control,
                                 const unsigned char* operator_code,
                                 const HsdwHostContainer* container,
                                 PlatformDispatch* data_service);

/* Shared memory block in which the host publishes the job flag (first three bytes). */
#define HSDW_JOB_FLAG_BLOCK "MorvexMapName"

/* Export names, for dlsym(). */
#define HSDW_GET_FORM_ONE "GetFormOne"
#define HSDW_GET_FORM_ONE_HSDW "GetFormOne_Hsdw"

#ifdef HSDW_BUILDING_PLUGIN
__attribute__((visibility("default"))) void GetFormOne(HsdwWindowHandle app_window,
                                                       HsdwWindowHandle notify_control,
                                                       const unsigned char* operator_code,
                                                       const HsdwHostContainer* container,
                                                       PlatformDispatch* data_service);
__attribute__((visibility("default"))) void GetFormOne_Hsdw(HsdwWindowHandle app_window,
                                                            HsdwWindowHandle notify_control,
                                                            const unsigned char* operator_code,
                                                            const HsdwHostContainer* container,
                                                            PlatformDispatch* data_service);
#endif

#ifdef __cplusplus
}
#endif

#endif /* HSDW_PLUGIN_ABI_H */
