#include "base/run_error.h"

namespace quillo {

std::string describe(ErrorNumber number) {
    switch (number) {
        case ErrorNumber::InvalidCall:
            return "无效的过程调用或参数";
        case ErrorNumber::Overflow:
            return "溢出";
        case ErrorNumber::OutOfMemory:
            return "内存不足";
        case ErrorNumber::SubscriptOutOfRange:
            return "下标越界";
        case ErrorNumber::FileNotFound:
            return "文件未找到";
        case ErrorNumber::PathFileAccess:
            return "路径/文件访问错误";
    }
    return "应用程序定义的错误";
}

RunError::RunError(ErrorNumber number, std::string concerns)
    : std::runtime_error(describe(number) + (concerns.empty() ? "" : ": " + concerns)),
      number_(number),
      concerns_(std::move(concerns)) {}

std::string RunError::report() const {
    std::string text = "运行时错误 '" + std::to_string(static_cast<int>(number_)) + "':\n\n";
    text += describe(number_);
    if (!concerns_.empty()) text += "\n" + concerns_;
    return text;
}

}  // namespace quillo
