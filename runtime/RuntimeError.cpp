// The run-time error box: every failure of the runtime ends the program here, with exit code -1.
#include <windows.h>
#include <cstdio>
#include <string>
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

namespace rt {
namespace {

// Messages of the numbered errors that compiled code reports by code alone.
const char* const kNumberedMessages[] = {
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

std::string BoxText(const char* message, int32_t code) {
  std::string text = "运行时出错!\r\n\r\n";
  if (code != 0) text += "错误代码：" + std::to_string(code) + "\r\n\r\n";
  if (message && *message) text += std::string("错误信息：") + message + "\r\n";
  return text;
}

}  // namespace

const char* NumberedErrorMessage(int32_t code) {
  if (code < 1 || code > 11) return nullptr;
  return kNumberedMessages[code - 1];
}

void RuntimeError(const char* message, int32_t code) {
  SuppressEvents();  // no event routine runs from here on, also not from the box's own loop
  std::string text = BoxText(message, code);
  MessageBoxA(nullptr, text.c_str(), "错误", MB_ICONERROR | MB_OK);
  State().exitRoutines.clear();
  EndProgram(-1);
}

void ReportRuntimeError(int32_t code) { RuntimeError(NumberedErrorMessage(code), code); }

}  // namespace rt
