// The C entry points: a thin layer that finds the object behind a handle and hands the work to
// its transport. Every failure is a VISA status; nothing is thrown across this boundary.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "backends.h"
#include "find_expression.h"
#include "object_table.h"
#include "status_text.h"
#include "visa.h"

using namespace zc::visa;

namespace {

Deadline DeadlineAfter(ViUInt32 timeoutMs) {
  if (timeoutMs == VI_TMO_INFINITE) return Deadline::max();
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

void CopyName(ViChar desc[], const std::string& name) {
  if (desc == nullptr) return;
  const std::size_t n = std::min<std::size_t>(name.size(), VI_FIND_BUFLEN - 1);
  std::memcpy(desc, name.data(), n);
  desc[n] = '\0';
}

ViStatus SessionStatus(ViObject handle, std::shared_ptr<SessionObject>* out) {
  Object o;
  if (!ObjectTable::Instance().Get(handle, &o)) return VI_ERROR_INV_OBJECT;
  auto* s = std::get_if<std::shared_ptr<SessionObject>>(&o);
  if (!s) return VI_ERROR_NSUP_OPER;  // a manager or find list does no I/O
  *out = *s;
  return VI_SUCCESS;
}

void CloseObjects(std::vector<Object>& objects) {
  for (Object& o : objects) {
    if (auto* s = std::get_if<std::shared_ptr<SessionObject>>(&o)) {
      std::lock_guard io((*s)->io);  // waits for a transfer another thread has under way
      if ((*s)->transport) (*s)->transport->Close();
      (*s)->transport.reset();
    }
  }
}

// Nothing thrown inside an entry point gets past the C boundary: it becomes a status.
template <class F>
ViStatus Guarded(F&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return VI_ERROR_ALLOC;
  } catch (...) {
    return VI_ERROR_SYSTEM_ERROR;
  }
}

// Runs an I/O operation on a session's transport, one transfer at a time per session.
template <class F>
ViStatus WithTransport(ViSession vi, F&& operation) {
  return Guarded([&]() -> ViStatus {
    std::shared_ptr<SessionObject> s;
    if (ViStatus st = SessionStatus(vi, &s); st != VI_SUCCESS) return st;
    std::lock_guard io(s->io);
    if (!s->transport) return VI_ERROR_INV_OBJECT;  // closed while we waited
    return operation(*s);
  });
}

template <class T>
void Put(void* out, T value) {
  std::memcpy(out, &value, sizeof value);
}

}  // namespace

extern "C" {

ViStatus viOpenDefaultRM(ViPSession vi) {
  return Guarded([&]() -> ViStatus {
    if (vi == nullptr) return VI_ERROR_USER_BUF;
    auto rm = std::make_shared<ResourceManagerObject>();
    rm->config = LoadConfig();
    *vi = ObjectTable::Instance().Add(std::move(rm));
    return VI_SUCCESS;
  });
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                    ViChar desc[]) {
  return Guarded([&]() -> ViStatus {
    if (retCnt) *retCnt = 0;
    if (vi) *vi = VI_NULL;
    if (desc) desc[0] = '\0';
    auto rm = ObjectTable::Instance().GetAs<ResourceManagerObject>(sesn);
    if (!rm) return VI_ERROR_INV_OBJECT;
    if (expr == nullptr) return VI_ERROR_INV_EXPR;
    std::string error;
    auto compiled = FindExpression::Compile(expr, &error);
    if (!compiled) return VI_ERROR_INV_EXPR;

    auto list = std::make_shared<FindListObject>();
    list->rm = sesn;
    for (std::string& name : ReachableResources(rm->config)) {
      if (compiled->Matches(name)) list->names.push_back(std::move(name));
    }
    if (list->names.empty()) return VI_ERROR_RSRC_NFOUND;

    if (retCnt) *retCnt = static_cast<ViUInt32>(list->names.size());
    CopyName(desc, list->names.front());
    list->next = 1;
    if (vi) {
      ViObject handle = ObjectTable::Instance().Add(list);
      if (!ObjectTable::Instance().AddChild(sesn, handle)) {  // the manager closed meanwhile
        ObjectTable::Instance().Remove(handle);
        return VI_ERROR_INV_OBJECT;
      }
      *vi = handle;
    }
    return VI_SUCCESS;
  });
}

ViStatus viFindNext(ViFindList vi, ViChar desc[]) {
  return Guarded([&]() -> ViStatus {
    if (desc) desc[0] = '\0';
    auto list = ObjectTable::Instance().GetAs<FindListObject>(vi);
    if (!list) return VI_ERROR_INV_OBJECT;
    // Find lists are not shared between threads in practice; the table's copy keeps it alive.
    if (list->next >= list->names.size()) return VI_ERROR_RSRC_NFOUND;
    CopyName(desc, list->names[list->next++]);
    return VI_SUCCESS;
  });
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                ViPSession vi) {
  return Guarded([&]() -> ViStatus {
    (void)timeout;  // the open timeout bounds lock waits; this library takes no locks
    if (vi) *vi = VI_NULL;
    auto rm = ObjectTable::Instance().GetAs<ResourceManagerObject>(sesn);
    if (!rm) return VI_ERROR_INV_OBJECT;
    if (vi == nullptr) return VI_ERROR_USER_BUF;
    if (name == nullptr) return VI_ERROR_INV_RSRC_NAME;
    if ((mode & ~(VI_EXCLUSIVE_LOCK | VI_SHARED_LOCK | VI_LOAD_CONFIG)) != 0 ||
        (mode & VI_EXCLUSIVE_LOCK && mode & VI_SHARED_LOCK)) {
      return VI_ERROR_INV_ACC_MODE;
    }
    ParsedResourceName parsed = ParseResourceName(name);
    if (!parsed.name) return VI_ERROR_INV_RSRC_NAME;

    auto session = std::make_shared<SessionObject>();
    session->rm = sesn;
    session->text = name;
    session->name = *parsed.name;
    ViStatus status = VI_SUCCESS;
    session->transport = MakeTransportFor(session->name, rm->config, &status);
    if (!session->transport) return status;
    // Connecting is bounded apart from I/O: a LAN instrument that is off must not hang a search.
    status = session->transport->Open(session->name, Clock::now() + std::chrono::seconds(5));
    if (status < VI_SUCCESS) return status;

    ViObject handle = ObjectTable::Instance().Add(session);
    if (!ObjectTable::Instance().AddChild(sesn, handle)) {
      auto removed = ObjectTable::Instance().Remove(handle);
      CloseObjects(removed);
      return VI_ERROR_INV_OBJECT;
    }
    *vi = handle;
    return VI_SUCCESS;
  });
}

ViStatus viClose(ViObject vi) try {
  if (vi == VI_NULL) return VI_WARN_NULL_OBJECT;
  auto removed = ObjectTable::Instance().Remove(vi);
  if (removed.empty()) return VI_ERROR_INV_OBJECT;
  CloseObjects(removed);
  return VI_SUCCESS;
} catch (...) {
  return VI_ERROR_CLOSING_FAILED;
}

ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue) {
  return Guarded([&]() -> ViStatus {
    Object o;
    if (!ObjectTable::Instance().Get(vi, &o)) return VI_ERROR_INV_OBJECT;
    auto* sp = std::get_if<std::shared_ptr<SessionObject>>(&o);
    if (!sp) return VI_ERROR_NSUP_ATTR;
    SessionObject& s = **sp;
    switch (attrName) {
      case VI_ATTR_TMO_VALUE:
        if (attrValue > 0xFFFFFFFFull) return VI_ERROR_NSUP_ATTR_STATE;
        s.timeoutMs = static_cast<ViUInt32>(attrValue);
        return VI_SUCCESS;
      case VI_ATTR_TERMCHAR:
        if (attrValue > 0xFF) return VI_ERROR_NSUP_ATTR_STATE;
        s.termChar = static_cast<ViUInt8>(attrValue);
        return VI_SUCCESS;
      case VI_ATTR_TERMCHAR_EN:
        if (attrValue > 1) return VI_ERROR_NSUP_ATTR_STATE;
        s.termCharEnabled = attrValue != 0;
        return VI_SUCCESS;
      case VI_ATTR_SEND_END_EN:
        if (attrValue > 1) return VI_ERROR_NSUP_ATTR_STATE;
        s.sendEndEnabled = attrValue != 0;
        return VI_SUCCESS;
      case VI_ATTR_RSRC_NAME:
      case VI_ATTR_RSRC_CLASS:
      case VI_ATTR_INTF_TYPE:
      case VI_ATTR_INTF_NUM:
      case VI_ATTR_GPIB_PRIMARY_ADDR:
      case VI_ATTR_GPIB_SECONDARY_ADDR:
      case VI_ATTR_MANF_ID:
      case VI_ATTR_MODEL_CODE:
      case VI_ATTR_USB_SERIAL_NUM:
      case VI_ATTR_USB_INTFC_NUM:
      case VI_ATTR_TCPIP_ADDR:
      case VI_ATTR_TCPIP_PORT:
        return VI_ERROR_ATTR_READONLY;
      default:
        return VI_ERROR_NSUP_ATTR;
    }
  });
}

ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void* attrValue) {
  return Guarded([&]() -> ViStatus {
    Object o;
    if (!ObjectTable::Instance().Get(vi, &o)) return VI_ERROR_INV_OBJECT;
    if (attrValue == nullptr) return VI_ERROR_USER_BUF;
    auto* sp = std::get_if<std::shared_ptr<SessionObject>>(&o);
    if (!sp) return VI_ERROR_NSUP_ATTR;
    const SessionObject& s = **sp;
    const ResourceName& n = s.name;
    auto putText = [&](const std::string& text) {
      CopyName(static_cast<ViChar*>(attrValue), text);
      return VI_SUCCESS;
    };
    switch (attrName) {
      case VI_ATTR_TMO_VALUE:
        Put<ViUInt32>(attrValue, s.timeoutMs);
        return VI_SUCCESS;
      case VI_ATTR_TERMCHAR:
        Put<ViUInt8>(attrValue, s.termChar);
        return VI_SUCCESS;
      case VI_ATTR_TERMCHAR_EN:
        Put<ViBoolean>(attrValue, s.termCharEnabled ? VI_TRUE : VI_FALSE);
        return VI_SUCCESS;
      case VI_ATTR_SEND_END_EN:
        Put<ViBoolean>(attrValue, s.sendEndEnabled ? VI_TRUE : VI_FALSE);
        return VI_SUCCESS;
      case VI_ATTR_RSRC_NAME:
        return putText(n.Canonical());
      case VI_ATTR_RSRC_CLASS:
        return putText(n.resourceClass == ResourceClass::Socket  ? "SOCKET"
                       : n.resourceClass == ResourceClass::Intfc ? "INTFC"
                                                                 : "INSTR");
      case VI_ATTR_INTF_TYPE: {
        ViUInt16 t = n.interface == InterfaceType::Gpib  ? VI_INTF_GPIB
                     : n.interface == InterfaceType::Usb ? VI_INTF_USB
                                                         : VI_INTF_TCPIP;
        Put<ViUInt16>(attrValue, t);
        return VI_SUCCESS;
      }
      case VI_ATTR_INTF_NUM:
        Put<ViUInt16>(attrValue, static_cast<ViUInt16>(n.board));
        return VI_SUCCESS;
      default:
        break;
    }
    if (n.interface == InterfaceType::Gpib && attrName == VI_ATTR_GPIB_PRIMARY_ADDR) {
      Put<ViUInt16>(attrValue, static_cast<ViUInt16>(n.primaryAddress));
      return VI_SUCCESS;
    }
    if (n.interface == InterfaceType::Gpib && attrName == VI_ATTR_GPIB_SECONDARY_ADDR) {
      Put<ViUInt16>(attrValue, n.secondaryAddress < 0 ? ViUInt16{VI_NO_SEC_ADDR}
                                                      : static_cast<ViUInt16>(n.secondaryAddress));
      return VI_SUCCESS;
    }
    if (n.interface == InterfaceType::Usb) {
      switch (attrName) {
        case VI_ATTR_MANF_ID:
          Put<ViUInt16>(attrValue, n.vendorId);
          return VI_SUCCESS;
        case VI_ATTR_MODEL_CODE:
          Put<ViUInt16>(attrValue, n.productId);
          return VI_SUCCESS;
        case VI_ATTR_USB_SERIAL_NUM:
          return putText(n.serial);
        case VI_ATTR_USB_INTFC_NUM:
          Put<ViInt16>(attrValue, static_cast<ViInt16>(n.usbInterface < 0 ? 0 : n.usbInterface));
          return VI_SUCCESS;
        default:
          break;
      }
    }
    if (n.interface == InterfaceType::Tcpip && attrName == VI_ATTR_TCPIP_ADDR)
      return putText(n.host);
    if (n.interface == InterfaceType::Tcpip && attrName == VI_ATTR_TCPIP_PORT) {
      Put<ViUInt16>(attrValue, n.port);
      return VI_SUCCESS;
    }
    return VI_ERROR_NSUP_ATTR;
  });
}

ViStatus viStatusDesc(ViObject vi, ViStatus status, ViChar desc[]) {
  return Guarded([&]() -> ViStatus {
    (void)vi;  // the description does not depend on the session, which may already be broken
    if (desc == nullptr) return VI_ERROR_USER_BUF;
    std::string text = StatusDescription(status);
    if (text.empty()) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "Unknown status value 0x%08X.", static_cast<unsigned>(status));
      CopyName(desc, buf);
      return VI_WARN_UNKNOWN_STATUS;
    }
    CopyName(desc, text);
    return VI_SUCCESS;
  });
}

ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
  if (retCnt) *retCnt = 0;
  if (buf == nullptr && cnt > 0 && ObjectTable::Instance().GetAs<SessionObject>(vi)) {
    return VI_ERROR_USER_BUF;
  }
  return WithTransport(vi, [&](SessionObject& s) {
    std::size_t written = 0;
    static const ViByte kNothing = 0;
    ViStatus status = s.transport->Write(std::span<const std::uint8_t>(buf ? buf : &kNothing, cnt),
                                         &written, DeadlineAfter(s.timeoutMs));
    if (retCnt) *retCnt = static_cast<ViUInt32>(written);
    return status;
  });
}

ViStatus viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
  if (retCnt) *retCnt = 0;
  if (buf == nullptr && cnt > 0 && ObjectTable::Instance().GetAs<SessionObject>(vi)) {
    return VI_ERROR_USER_BUF;
  }
  return WithTransport(vi, [&](SessionObject& s) -> ViStatus {
    if (cnt == 0) return VI_SUCCESS_MAX_CNT;  // nothing fits; the message stays readable
    std::size_t got = 0;
    ViStatus status =
        s.transport->Read(std::span<std::uint8_t>(buf, cnt), &got, DeadlineAfter(s.timeoutMs));
    if (retCnt) *retCnt = static_cast<ViUInt32>(got);
    return status;
  });
}

ViStatus viClear(ViSession vi) {
  return WithTransport(
      vi, [](SessionObject& s) { return s.transport->Clear(DeadlineAfter(s.timeoutMs)); });
}

ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode) {
  return WithTransport(vi, [mode](SessionObject& s) -> ViStatus {
    // GPIB instruments and USB488 instruments know remote enable; a socket does not.
    if (s.name.interface == InterfaceType::Tcpip) return VI_ERROR_NSUP_OPER;
    if (mode > VI_GPIB_REN_ADDRESS_GTL) return VI_ERROR_INV_MODE;
    if (mode != VI_GPIB_REN_ADDRESS_GTL && mode != VI_GPIB_REN_DEASSERT_GTL) {
      return VI_ERROR_NSUP_MODE;
    }
    return s.transport->GoToLocal(DeadlineAfter(s.timeoutMs));
  });
}

}  // extern "C"
