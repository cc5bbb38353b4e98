// SPDX-License-Identifier: Apache-2.0
/*
 * torvc_pdf417: a report-designer plug-in that draws PDF417 barcodes.
 *
 * The host loads the library, creates component instances with the factory functions, reads and
 * sets their five attributes by name as decimal text, saves and restores them as a 20-byte record,
 * and has them measure, paint or print a PDF417 symbol for a data text.
 *
 * Conventions
 * - Every function uses the C calling convention and is exported under its plain name.
 * - Wide strings are NUL-terminated UTF-16 (char16_t; never wchar_t, which is 32 bits on Linux).
 *   Lengths of wide strings are counted in 16-bit units.
 * - Texts and bytes that the host passes in stay the host's and are used only during the call.
 * - Null pointers: a null text (attribute name, attribute value, data text) counts as the empty text;
 *   a null instance, buffer, array or record is refused as each function says.
 * - Threads: the library keeps no state between calls outside the instances, starts no thread and
 *   takes no lock. Distinct instances may be used on different threads at once, any function on
 *   each. One instance may be sized, painted, printed, read (getAttrLength, getAttr, writeMe) and
 *   copied (GetCopyInstance) on several threads at once: those calls only read it. setAttr, readMe
 *   and DeleteInstance change it: the host serialises them with every other call on that instance.
 *   A drawing surface is drawn on by one call at a time. On Windows a thread needs no COM
 *   initialisation of its own: the picture object a call makes is used and released within it.
 * - No error is ever reported by the drawing functions: when the data cannot be drawn (it does not
 *   fit a symbol, a scale is out of range, memory runs out), they draw nothing.
 * - Loading by name: a host that keeps the entry points in variables named like the functions
 *   (dlsym, GetProcAddress) defines TORVC_PDF417_NO_PROTOTYPES before including this header. The
 *   function declarations are then left out; the types, the PFN_ function pointer types and the
 *   constants stay.
 */
#ifndef TORVC_PDF417_H
#define TORVC_PDF417_H

/* The release these declarations belong to. */
#define TORVC_PDF417_VERSION_MAJOR 1
#define TORVC_PDF417_VERSION_MINOR 1
#define TORVC_PDF417_VERSION_PATCH 0
#define TORVC_PDF417_VERSION "1.1.0"

/* Hosts see the functions as imported from the DLL; only the library's own build
 * (TORVC_PDF417_BUILD) exports them. A program that compiles the plug-in into itself and draws on
 * memory surfaces on every platform (TORVC_PDF417_BUILTIN) neither imports nor exports them. */
#if defined(_WIN32) && defined(TORVC_PDF417_BUILTIN)
#define TORVC_PDF417_API
#elif defined(_WIN32)
#if defined(TORVC_PDF417_BUILD)
#define TORVC_PDF417_API __declspec(dllexport)
#else
#define TORVC_PDF417_API __declspec(dllimport)
#endif
#else
#define TORVC_PDF417_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
/* A component instance; the host holds it as an opaque handle. */
class TorvPdf417Comp;
extern "C" {
#else
#include <uchar.h>
typedef struct TorvPdf417Comp TorvPdf417Comp;
#endif

/*
 * The drawing surface handed to getAutosize, paint and print.
 *
 * A null context, or one without pixels, draws nothing and never crashes; getAutosize needs only
 * the resolution (a null context reports nothing). The surface is drawn on only when width and
 * height are positive and stride is at least 4 * width; drawing is clipped to the surface.
 */
#if defined(_WIN32) && !defined(TORVC_PDF417_BUILTIN)
/* On Windows the drawing surface is the host's device context: TorvDeviceContext * is an HDC. */
typedef struct HDC__ TorvDeviceContext;
#else
typedef struct TorvDeviceContext {
  int dpiX, dpiY;        /* pixels per inch: what LOGPIXELSX and LOGPIXELSY report */
  int width, height;     /* surface size in pixels */
  int stride;            /* bytes from one row to the next */
  unsigned char* pixels; /* 32-bit pixels, bytes in the order B, G, R, A; top row first */
} TorvDeviceContext;
#endif

/*
 * Attributes, in this order (the order of getAttrList and of the saved record):
 *
 *   name            default  meaning
 *   PDF417_ROWNUM   0        number of symbol rows (3..90); 0 lets the encoder choose
 *   PDF417_COLNUM   8        number of data columns (1..30); 0 lets the encoder choose
 *   PDF417_ECC      0        error-correction level 0..8; any other value picks the level automatically
 *   PDF417_XSCALE   1        module width in bitmap pixels (0 draws as 1; above 20 nothing is drawn)
 *   PDF417_YSCALE   1        row height is XSCALE + YSCALE - 1 pixels when that and XSCALE lie in
 *                            1..25, otherwise three module widths
 *
 * Rows, columns, ECC and XSCALE as a module width count by their low 16 bits only, read as 0..65535:
 * a stored 65536 acts as 0 and 65539 as 3, so XSCALE 65536 draws 1-pixel modules and XSCALE -1
 * (65535) draws nothing. The row height uses the full 32-bit XSCALE and YSCALE (65536 is out of
 * 1..25 there, so rows are three module widths high). Saved records keep the full values.
 *
 * When both rows and columns are 0 the encoder picks both for a symbol about half as
 * high as wide. When only one is given the encoder derives the other. A pair that cannot hold
 * together (fewer than 3 rows, more than 928 codewords) falls back to 58 rows of 16 columns.
 *
 * Names are compared exactly and case-sensitively. Values are stored as given (any 32-bit value);
 * they travel as decimal text: "%d" on the way out; on the way in, leading white space is skipped,
 * an optional sign and the decimal digits up to the first other character are read, text without
 * digits gives 0, and values beyond the 32-bit range are clamped to it.
 */

#ifndef TORVC_PDF417_NO_PROTOTYPES

/* A new instance with the default attributes; null if memory is exhausted. */
TORVC_PDF417_API TorvPdf417Comp* GetNewInstance(void);

/* A new, independent instance with the source's attributes; null if memory is exhausted or the
 * source is null. */
TORVC_PDF417_API TorvPdf417Comp* GetCopyInstance(TorvPdf417Comp* source);

/* Destroys an instance; null is ignored. */
TORVC_PDF417_API void DeleteInstance(TorvPdf417Comp* instance);

/* The number of attributes: always 5. Arguments that a host passes are ignored. */
TORVC_PDF417_API int getAttrListLength(void);

/*
 * Writes the first min(n, 5) attribute names, in order, into names and returns 1; n = 0 writes
 * nothing and returns 1; n < 0 (or a null array with n > 0) writes nothing and returns 0. The names
 * are constants inside the library: never change or free them. The instance is not used.
 */
TORVC_PDF417_API int getAttrList(TorvPdf417Comp* instance, const char16_t** names, int n);

/* Length of the attribute's value text plus 1 (room for the terminator); -1 for an unrecognised
 * name (or a null instance). */
TORVC_PDF417_API int getAttrLength(TorvPdf417Comp* instance, const char16_t* name);

/*
 * Copies the attribute's value text with its terminator into buffer (bufferLength wide characters)
 * and returns 1. Returns 0 and leaves the buffer untouched when the name is unrecognised or the
 * buffer cannot hold the text and its terminator (including bufferLength <= 0 or a null buffer).
 */
TORVC_PDF417_API int getAttr(TorvPdf417Comp* instance, const char16_t* name, char16_t* buffer, int bufferLength);

/* Parses value (see above; a null value is the empty text: it stores 0 and returns 1, as an
 * unparseable text does), stores it and returns 1. An unrecognised name (a null name is the empty,
 * unrecognised one) or a null instance returns 0 and changes nothing. */
TORVC_PDF417_API int setAttr(TorvPdf417Comp* instance, const char16_t* name, const char16_t* value);

/*
 * The saved record: 20 bytes, the five attributes in order, each as a 32-bit two's-complement
 * integer, most significant byte first. A new instance saves as
 * 00 00 00 00  00 00 00 08  00 00 00 00  00 00 00 01  00 00 00 01.
 *
 * writeMe allocates the record with malloc, stores 20 through length and returns it; the record
 * then belongs to the caller, who releases it with free(). If memory is exhausted (or the
 * instance is null) it returns null and stores 0.
 */
TORVC_PDF417_API unsigned char* writeMe(TorvPdf417Comp* instance, int* length);

/*
 * Restores the five attributes from a record that writeMe produced. A length other than 20, a
 * null record or a null instance leaves the instance unchanged and raises an exception that the
 * host must be ready to catch:
 * - Linux: the C++ exception std::invalid_argument (a C caller must pass exactly 20 bytes).
 * - Windows: the structured exception TORVC_PDF417_BAD_RECORD_EXCEPTION (RaiseException), which
 *   hosts of any compiler can catch (__try/__except, a vectored handler). It is continuable with
 *   one argument, ExceptionInformation[0], the length passed (sign-extended). A handler that
 *   continues execution (EXCEPTION_CONTINUE_EXECUTION) makes readMe return, changing nothing.
 */
#endif /* TORVC_PDF417_NO_PROTOTYPES */
#define TORVC_PDF417_BAD_RECORD_EXCEPTION 0xE0417001UL
#ifndef TORVC_PDF417_NO_PROTOTYPES
TORVC_PDF417_API void readMe(TorvPdf417Comp* instance, const unsigned char* data, int length);

/*
 * Drawing. The data text (null counts as empty) is converted to the ANSI code page: Windows-1252 on
 * Linux, where characters that it cannot hold become '?'; on Windows the process's code page, with
 * the system's own replacement of such characters. Sizes are in host units, 72 per inch on a 96 dpi device.
 *
 * getAutosize stores the symbol's natural width and height in host units; when nothing can be
 * drawn (or dc is null) both outputs stay unchanged.
 */
TORVC_PDF417_API void getAutosize(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data, float* width,
                                  float* height);

/* Draws the symbol at its natural size times scale, at (left * scale, top * scale) pixels.
 * The two unused arguments are ignored. */
TORVC_PDF417_API void paint(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data, float left,
                            float top, float unused1, float unused2, float scale);

/* Draws the symbol at its physical size in the device's pixels (scale does not change the size)
 * at (left * scale + offsetX, top * scale + offsetY). The two unused arguments are ignored.
 *
 * Into an enhanced metafile (print preview), the symbol is recorded at the reference device's
 * resolution; played back at a printer's scale (6.25 times from 96 to 600 dpi) it reads as drawn.
 * Played back 1:1 over the header's bounds it does not always: the metafile keeps its frame in
 * 0.01 mm, so playback stretches by up to about 1% and modules one pixel wide come out uneven.
 * For previews at screen resolution, use a module width (PDF417_XSCALE) of 2 or more; the same
 * holds for paint on devices other than 96 dpi, where whole host units may cost a pixel. */
TORVC_PDF417_API void print(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data, float left,
                            float top, float unused1, float unused2, float scale, float offsetX, float offsetY);

#endif /* TORVC_PDF417_NO_PROTOTYPES */

/* Function pointer types of the thirteen exports, for hosts that load the plug-in by name
 * (dlsym, GetProcAddress): PFN_TorvcPdf417_ followed by the exported name. */
typedef TorvPdf417Comp* (*PFN_TorvcPdf417_GetNewInstance)(void);
typedef TorvPdf417Comp* (*PFN_TorvcPdf417_GetCopyInstance)(TorvPdf417Comp* source);
typedef void (*PFN_TorvcPdf417_DeleteInstance)(TorvPdf417Comp* instance);
typedef int (*PFN_TorvcPdf417_getAttrListLength)(void);
typedef int (*PFN_TorvcPdf417_getAttrList)(TorvPdf417Comp* instance, const char16_t** names, int n);
typedef int (*PFN_TorvcPdf417_getAttrLength)(TorvPdf417Comp* instance, const char16_t* name);
typedef int (*PFN_TorvcPdf417_getAttr)(TorvPdf417Comp* instance, const char16_t* name, char16_t* buffer,
                                       int bufferLength);
typedef int (*PFN_TorvcPdf417_setAttr)(TorvPdf417Comp* instance, const char16_t* name, const char16_t* value);
typedef unsigned char* (*PFN_TorvcPdf417_writeMe)(TorvPdf417Comp* instance, int* length);
typedef void (*PFN_TorvcPdf417_readMe)(TorvPdf417Comp* instance, const unsigned char* data, int length);
typedef void (*PFN_TorvcPdf417_getAutosize)(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data,
                                            float* width, float* height);
typedef void (*PFN_TorvcPdf417_paint)(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data, float left,
                                      float top, float unused1, float unused2, float scale);
typedef void (*PFN_TorvcPdf417_print)(TorvPdf417Comp* instance, TorvDeviceContext* dc, const char16_t* data, float left,
                                      float top, float unused1, float unused2, float scale, float offsetX,
                                      float offsetY);

#ifdef __cplusplus
}
#endif

#endif /* TORVC_PDF417_H */
