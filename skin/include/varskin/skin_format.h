/* The skin data format and the host library interface that the skin
 * library, its data compiler and the program share. Plain C so that the
 * freestanding 32-bit library can include it.
 *
 * Layout (all integers little-endian):
 *   header  : "VSKN", u16 version, u16 record count
 *   record  : u8 kind, u8 id, u16 payload length, payload
 *     colour   payload: u32 0x00RRGGBB
 *     font     payload: u16 point size, u16 weight (100..900), u8 name length, name bytes
 *     metric   payload: i32 value
 *     gradient payload: u8 stop count (1..kSkinMaxGradientStops), stop count x (u8 position 0..255, u32 rgb)
 * Records follow each other without gaps and must end exactly at the end
 * of the data; anything else makes the whole block invalid. */
#ifndef VARSKIN_SKIN_FORMAT_H
#define VARSKIN_SKIN_FORMAT_H

#define VSKN_MAGIC0 'V'
#define VSKN_MAGIC1 'S'
#define VSKN_MAGIC2 'K'
#define VSKN_MAGIC3 'N'
#define VSKN_VERSION 1
#define VSKN_HEADER_SIZE 8
#define VSKN_RECORD_HEADER_SIZE 4
#define VSKN_MAX_FONT_NAME 63
#define VSKN_MAX_GRADIENT_STOPS 8
#define VSKN_GRADIENT_STOP_SIZE 5

enum VsknRecordKind {
  VSKN_KIND_COLOR = 1,
  VSKN_KIND_FONT = 2,
  VSKN_KIND_METRIC = 3,
  VSKN_KIND_GRADIENT = 4
};

/* Colour roles of the restyled window. */
enum VsknColorRole {
  VSKN_COLOR_WINDOW = 0,
  VSKN_COLOR_PANEL,
  VSKN_COLOR_TEXT,
  VSKN_COLOR_MUTED_TEXT,
  VSKN_COLOR_ACCENT,
  VSKN_COLOR_ACCENT_TEXT,
  VSKN_COLOR_BUTTON_FACE,
  VSKN_COLOR_BUTTON_HOVER,
  VSKN_COLOR_BUTTON_PRESSED,
  VSKN_COLOR_BUTTON_TEXT,
  VSKN_COLOR_INPUT_BACKGROUND,
  VSKN_COLOR_BORDER,
  VSKN_COLOR_LIST_HEADER,
  VSKN_COLOR_LIST_HEADER_TEXT,
  VSKN_COLOR_GRID,
  VSKN_COLOR_SELECTION,
  VSKN_COLOR_SELECTION_TEXT,
  VSKN_COLOR_ALTERNATE_ROW,
  VSKN_COLOR_STATUS_BAR,
  VSKN_COLOR_STATUS_TEXT,
  VSKN_COLOR_COUNT
};

/* Font roles. */
enum VsknFontRole {
  VSKN_FONT_UI = 0,
  VSKN_FONT_CODE,
  VSKN_FONT_HEADER,
  VSKN_FONT_COUNT
};

/* Metrics in pixels. */
enum VsknMetric {
  VSKN_METRIC_CORNER_RADIUS = 0,
  VSKN_METRIC_BORDER_WIDTH,
  VSKN_METRIC_PADDING,
  VSKN_METRIC_ROW_HEIGHT,
  VSKN_METRIC_COUNT
};

/* Gradients drawn top to bottom. */
enum VsknGradient {
  VSKN_GRADIENT_WINDOW = 0,
  VSKN_GRADIENT_BUTTON,
  VSKN_GRADIENT_HEADER,
  VSKN_GRADIENT_COUNT
};

/* The host library the skin library imports from; every function is
 * cdecl and returns 0 when it ignored its arguments, 1 otherwise. */
#define VARSKIN_HOST_LIBRARY "varskin.dll"
/* HostSetColor(role, rgb)
 * HostSetFont(role, const char* family, pointSize, weight)  family: NUL-terminated
 * HostSetMetric(id, value)
 * HostSetGradientStop(gradient, index, position, rgb)
 * HostApplySkin(void)
 * HostRemoveSkin(void) */

#endif
