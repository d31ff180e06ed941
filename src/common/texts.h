#pragma once
// The program's own user-visible texts, as code page 936 bytes. The UTF-8
// form of each is in the comment above it.
#include "common/types.h"

namespace varomby::texts {

// "Varomby Ver:1.3 加入汇编代码识别  By：Quelwin"
inline const AnsiText kCaption = "Varomby Ver:1.3 \xBC\xD3\xC8\xEB\xBB\xE3\xB1\xE0\xB4\xFA\xC2\xEB\xCA\xB6\xB1\xF0  By\xA3\xBAQuelwin";
// "两文件长度不同，不存在可比性！！！"
inline const AnsiText kMsgLengthsDiffer = "\xC1\xBD\xCE\xC4\xBC\xFE\xB3\xA4\xB6\xC8\xB2\xBB\xCD\xAC\xA3\xAC\xB2\xBB\xB4\xE6\xD4\xDA\xBF\xC9\xB1\xC8\xD0\xD4\xA3\xA1\xA3\xA1\xA3\xA1";
// "错误："
inline const AnsiText kTitleError = "\xB4\xED\xCE\xF3\xA3\xBA";
// "信息："
inline const AnsiText kTitleInfo = "\xD0\xC5\xCF\xA2\xA3\xBA";
// "无对比信息！！"
inline const AnsiText kMsgNoRows = "\xCE\xDE\xB6\xD4\xB1\xC8\xD0\xC5\xCF\xA2\xA3\xA1\xA3\xA1";
// "无法打开文件："
inline const AnsiText kMsgCannotOpen = "\xCE\xDE\xB7\xA8\xB4\xF2\xBF\xAA\xCE\xC4\xBC\xFE\xA3\xBA";
// "文件在对比中被修改："
inline const AnsiText kMsgFileChanged = "\xCE\xC4\xBC\xFE\xD4\xDA\xB6\xD4\xB1\xC8\xD6\xD0\xB1\xBB\xD0\xDE\xB8\xC4\xA3\xBA";
// "日志写出失败："
inline const AnsiText kMsgLogWriteFailed = "\xC8\xD5\xD6\xBE\xD0\xB4\xB3\xF6\xCA\xA7\xB0\xDC\xA3\xBA";
// "对比完成！！共有："
inline const AnsiText kStatusDonePrefix = "\xB6\xD4\xB1\xC8\xCD\xEA\xB3\xC9\xA3\xA1\xA3\xA1\xB9\xB2\xD3\xD0\xA3\xBA";
// "项不同  长度为："
inline const AnsiText kStatusDoneMiddle = "\xCF\xEE\xB2\xBB\xCD\xAC  \xB3\xA4\xB6\xC8\xCE\xAA\xA3\xBA";
// "请选择文件："
inline const AnsiText kDialogTitleOpen = "\xC7\xEB\xD1\xA1\xD4\xF1\xCE\xC4\xBC\xFE\xA3\xBA";
// "请选择保存路径："
inline const AnsiText kDialogTitleSave = "\xC7\xEB\xD1\xA1\xD4\xF1\xB1\xA3\xB4\xE6\xC2\xB7\xBE\xB6\xA3\xBA";
// "所有文件(*.*)|*.*"
inline const AnsiText kFilterAllFiles = "\xCB\xF9\xD3\xD0\xCE\xC4\xBC\xFE(*.*)|*.*";
// "日志文件(*.txt)|*.txt"
inline const AnsiText kFilterLog = "\xC8\xD5\xD6\xBE\xCE\xC4\xBC\xFE(*.txt)|*.txt";
// "No PE"
inline const AnsiText kNoPe = "No PE";
// "No VA"
inline const AnsiText kNoVa = "No VA";
// "txt"
inline const AnsiText kDefaultLogExtension = "txt";

}  // namespace varomby::texts
