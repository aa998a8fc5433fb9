#include "http/messages.h"

#include "runtime/codepage.h"

namespace http {

runtime::Text failureMessage(Failure failure) {
    switch (failure) {
    case Failure::PlatformUnsupported:
        return runtime::gbk("700 当前系统不支持WinHttp服务!");
    case Failure::BadUrl:
        return runtime::gbk("701 解析URL地址失败!");
    case Failure::Session:
        return runtime::gbk("702 创建WinHttp会话失败!");
    case Failure::Connection:
        return runtime::gbk("703 创建WinHttp连接失败!");
    case Failure::Request:
        return runtime::gbk("704 创建WinHttp请求失败!");
    case Failure::Timeouts:
        return runtime::gbk("705 设置超时时间失败!");
    case Failure::Credentials:
        return runtime::gbk("707 设置代理凭证失败!");
    case Failure::CertificateFlags:
        return runtime::gbk("忽略错误/证书错误  失败！");
    case Failure::CookieFeature:
        return runtime::gbk("708 禁止自动设置Cookies失败!");
    case Failure::RedirectPolicy:
        return runtime::gbk("709 重定向设置失败!");
    case Failure::Headers:
        return runtime::gbk("710 设置协议头失败!");
    case Failure::Send:
        return runtime::gbk("711 发送请求失败!");
    case Failure::NoResponse:
        return runtime::gbk("712 服务器未响应!");
    case Failure::Read:
        return runtime::gbk("713 读取数据失败!");
    case Failure::ReplyTooLarge:
        return runtime::gbk("回复过大，已停止接收");
    }
    return {};
}

} // namespace http
