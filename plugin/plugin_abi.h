/*
 * Public C interface of the accounting-unit archive plug-in (libhsdwarchive.so).
 *
 * A host needs this header, dispatch_abi.h (which it includes) and Qt 6 (Widgets); it links
 * no library of ours. Installed, both lie in include/hsdwarchive/ together with
 * datapacket_writer.h, which writes the data packets a host answers queries with:
 *     #include <hsdwarchive/plugin_abi.h>
 * (CMake: find_package(HsdwArchive) and the target HsdwArchive::abi; pkg-config:
 * hsdwarchive). The library exports exactly two functions, both with C linkage, five
 * pointer-sized arguments and no result:
 *
 *   GetFormOne       opens the archive window embedded in a container of the host;
 *   GetFormOne_Hsdw  opens it as a free-standing dialog (the container argument is ignored
 *                    and may be NULL).
 *
 * The host and the plug-in share one process and one Qt application: the host creates the
 * QApplication (the plug-in never creates one) and runs the event loop; the window the
 * entry point opens lives on in that loop after the call has returned. The first entry call
 * maps the Windows font names the plug-in's windows use ("宋体", "黑体", "MS Sans Serif",
 * "Arial", "System", ...) onto installed fonts with QFont::insertSubstitutions, for the
 * whole process.
 *
 * Window handles (HsdwWindowHandle). A host passes the address of one of its own objects:
 *     (HsdwWindowHandle)(uintptr_t)static_cast<QObject*>(widget)
 * The plug-in accepts an address only when it names a live widget of the application, or a
 * QObject in the object tree of a widget or of the QApplication; it then registers the
 * object in the process's handle registry. A registry handle (a number the plug-in itself
 * handed out, never below 0x10000) is accepted as well. Anything else counts as no handle.
 * The registry is the QApplication's direct child object named "platform.window-handles";
 * its invokable `QObject* find(quintptr handle)` turns a handle the plug-in reports (the
 * owner of a message box, below) back into the object:
 *     QObject* registry = qApp->findChild<QObject*>("platform.window-handles",
 *                                                    Qt::FindDirectChildrenOnly);
 *     QMetaObject::invokeMethod(registry, "find", Qt::DirectConnection,
 *                               Q_RETURN_ARG(QObject*, owner), Q_ARG(quintptr, handle));
 *
 * Arguments, in order:
 *
 *  1  app_window      The host's application window (a QWidget). It owns the plug-in's
 *                     top-level windows and its message boxes.
 *  2  notify_control  A host object that receives message 1028 (HSDW_WM_PLUGIN_CLOSING,
 *                     wParam 0, lParam 0) synchronously when the plug-in window closes: a
 *                     QObject with the invokable
 *                         Q_INVOKABLE qintptr windowMessage(uint message, quintptr wParam,
 *                                                           qintptr lParam);
 *                     It must not destroy the window's container while handling the message
 *                     (defer that). An object that is no widget must have a widget or the
 *                     QApplication as an ancestor, so that its address can be checked.
 *  3  operator_code   The code of the operator logged on: one length byte (0 to 255)
 *                     followed by that many bytes of GBK text. Copied during the call;
 *                     NULL counts as an empty code.
 *  4  container       GetFormOne: the container to embed into (HsdwHostContainer, read
 *                     during the call). The plug-in makes the container's widget the parent
 *                     of its window: destroying the container destroys the window, without
 *                     message 1028. The host sends HSDW_WM_RESIZE_PANEL (wParam = height,
 *                     lParam = width) to the window when the container is resized, by calling
 *                     the same invokable windowMessage on the container widget's child that
 *                     has it. GetFormOne_Hsdw: ignored.
 *  5  data_service    The host's data service (ICoorDisp) as a dispatch object
 *                     (dispatch_abi.h) with the operations HSDW_DISPID_*. The
 *                     plug-in takes its own counted reference and keeps it until the next
 *                     entry call or until the library is unloaded, so the host may release
 *                     its reference right after the call.
 *
 * Printing to a file (an unattended host, no printer, no display). The host sends
 * HSDW_WM_PRINT_TO_FILE to the plug-in window (the same invokable windowMessage; for an
 * embedded window the container widget's child that has it), with wParam HSDW_PRINT_FILE_PDF
 * or HSDW_PRINT_FILE_XLSX and lParam the address of a zero-terminated UTF-8 file path. The
 * window runs its print command as the print button does, its confirmation included (answer
 * it through the message-box hook); the pages it prepares go, instead of to a printer, into
 * that file: PDF as the built-in PDF printer prints them, XLSX through the Excel export
 * filter (one sheet, every page). The call returns when the run is over:
 *   HSDW_PRINT_FILE_WRITTEN (1)   the file is complete;
 *   HSDW_PRINT_FILE_NOTHING (-1)  nothing was printed (confirmation cancelled, no pages);
 *   HSDW_PRINT_FILE_FAILED (-2)   writing failed; a message box (error icon) said why and no
 *                                 file is left (an older file of that name is kept);
 *   HSDW_PRINT_FILE_REFUSED (0)   the window does not print to files, or a bad argument.
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
 *
 * The job flag: before it creates its window, the plug-in opens the POSIX shared memory
 * object named "/" + hsdw_job_flag_block_name() ("/MorvexMapName") read-write
 * (shm_open(name, O_RDWR)), maps the whole object and takes the bytes before the first zero
 * among its first three as the flag (GBK). A missing object, or one it cannot open
 * read-write, leaves the flag as it was. The host creates the object (mode 0600 will do,
 * same user) before the call and keeps it while the window lives.
 *
 * Message boxes and modal windows. Every message box and modal window of the plug-in goes
 * through a service a host (a test harness, an unattended run) may replace: the address of
 * an HsdwMessageBoxHook (HsdwModalHook) stored as a quintptr in the QApplication's dynamic
 * property HSDW_MESSAGE_BOX_HOOK_PROPERTY (HSDW_MODAL_HOOK_PROPERTY):
 *     qApp->setProperty(HSDW_MESSAGE_BOX_HOOK_PROPERTY,
 *                       QVariant::fromValue(reinterpret_cast<quintptr>(&hook)));
 * An invalid or zero property shows boxes with QMessageBox. The box hook gets the owner's
 * window handle (0 for none), UTF-8 texts and the Windows flags (HSDW_MB_*) and returns
 * the button pressed (HSDW_ID*). The modal hook is called with every modal window once it
 * shows and its event loop runs; a window still open when the hook returns is rejected.
 * The hook must outlive its installation and must not throw.
 */
#ifndef HSDW_PLUGIN_ABI_H
#define HSDW_PLUGIN_ABI_H

/* Beside this header where it is installed; in the source tree its folder is on the include
 * path (the plugin_abi target). */
#include "dispatch_abi.h"

#include <stdint.h>
#include <stdlib.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A window handle: the address of a host QObject, or a registry handle (see above). */
typedef uintptr_t HsdwWindowHandle;

/* Window messages. */
#define HSDW_WM_RESIZE_PANEL 0x402  /* host -> plug-in window: wParam height, lParam width */
#define HSDW_WM_PLUGIN_CLOSING 1028 /* plug-in -> notify control: the window is closing */
#define HSDW_WM_PRINT_TO_FILE 0x403 /* host -> plug-in window: print into a file (above) */

/* HSDW_WM_PRINT_TO_FILE: formats (wParam) and results. */
#define HSDW_PRINT_FILE_PDF 1
#define HSDW_PRINT_FILE_XLSX 2
#define HSDW_PRINT_FILE_WRITTEN 1
#define HSDW_PRINT_FILE_NOTHING (-1)
#define HSDW_PRINT_FILE_FAILED (-2)
#define HSDW_PRINT_FILE_REFUSED 0

/* Data-service operations. */
#define HSDW_DISPID_OPEN_QUERY PLATFORM_DISPID_OPEN_QUERY
#define HSDW_DISPID_EXEC_SQL PLATFORM_DISPID_EXEC_SQL
#define HSDW_DISPID_GET_SERVER_DATE_TIME PLATFORM_DISPID_GET_SERVER_DATE_TIME
#define HSDW_DISPID_GET_DB_TYPE PLATFORM_DISPID_GET_DB_TYPE
#define HSDW_DISPID_GET_SYS_PARAMS PLATFORM_DISPID_GET_SYS_PARAMS

/* The container an embedded window goes into. */
typedef struct HsdwHostContainer {
    HsdwWindowHandle handle; /* a widget of the host */
    int32_t width;           /* client size in pixels at the time of the call */
    int32_t height;
} HsdwHostContainer;

typedef void (*HsdwGetFormOneFn)(HsdwWindowHandle app_window, HsdwWindowHandle notify_control,
                                 const unsigned char* operator_code,
                                 const HsdwHostContainer* container,
                                 PlatformDispatch* data_service);

/* Shared memory block in which the host publishes the job flag (first three bytes). */
#define HSDW_JOB_FLAG_BLOCK "MorvexMapName"
/* Environment variable that, set and not empty, replaces that name in both host and plug-in,
 * so that test runs use blocks of their own and never meet each other or a working host. */
#define HSDW_JOB_FLAG_BLOCK_ENV "HSDW_JOB_FLAG_BLOCK"

/* The block name in use (without the leading "/" of the POSIX object name). */
static inline const char* hsdw_job_flag_block_name(void) {
    const char* name = getenv(HSDW_JOB_FLAG_BLOCK_ENV);
    return name && *name ? name : HSDW_JOB_FLAG_BLOCK;
}

/* The replaceable message-box service and modal hook (see above). */
#define HSDW_MESSAGE_BOX_HOOK_PROPERTY "platform.message-box-hook"
#define HSDW_MODAL_HOOK_PROPERTY "platform.modal-hook"

typedef struct HsdwMessageBoxHook {
    int (*show)(void* context, uintptr_t owner, const char* text, const char* caption,
                unsigned flags);
    void* context;
} HsdwMessageBoxHook;

typedef struct HsdwModalHook {
    void (*onModal)(void* context, void* window); /* window: the dialog's QWidget* */
    void* context;
} HsdwModalHook;

/* Message-box flags and results (the Windows numbers). */
#define HSDW_MB_OK 0x0
#define HSDW_MB_OKCANCEL 0x1
#define HSDW_MB_YESNOCANCEL 0x3
#define HSDW_MB_YESNO 0x4
#define HSDW_MB_ICONERROR 0x10
#define HSDW_MB_ICONQUESTION 0x20
#define HSDW_MB_ICONWARNING 0x30
#define HSDW_MB_ICONINFORMATION 0x40
#define HSDW_MB_DEFBUTTON2 0x100
#define HSDW_IDOK 1
#define HSDW_IDCANCEL 2
#define HSDW_IDYES 6
#define HSDW_IDNO 7

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
