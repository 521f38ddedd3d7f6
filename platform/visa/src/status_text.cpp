#include "status_text.h"

namespace zc::visa {
namespace {

struct Entry {
  ViStatus status;
  const char* name;
  const char* text;
};

// Names first so a user can look the value up; the texts say what went wrong in plain words.
constexpr Entry kEntries[] = {
    {VI_SUCCESS, "VI_SUCCESS", "Operation completed successfully."},
    {VI_SUCCESS_TERM_CHAR, "VI_SUCCESS_TERM_CHAR",
     "The specified termination character was read."},
    {VI_SUCCESS_MAX_CNT, "VI_SUCCESS_MAX_CNT",
     "The number of bytes read is equal to the input count; more data may be pending."},
    {VI_WARN_NULL_OBJECT, "VI_WARN_NULL_OBJECT",
     "The specified object reference is uninitialized."},
    {VI_WARN_NSUP_ATTR_STATE, "VI_WARN_NSUP_ATTR_STATE",
     "The attribute state is not supported by this resource."},
    {VI_WARN_UNKNOWN_STATUS, "VI_WARN_UNKNOWN_STATUS",
     "The status code passed to the operation could not be interpreted."},
    {VI_ERROR_SYSTEM_ERROR, "VI_ERROR_SYSTEM_ERROR", "Unknown system error (miscellaneous error)."},
    {VI_ERROR_INV_OBJECT, "VI_ERROR_INV_OBJECT",
     "The given session or object reference is invalid."},
    {VI_ERROR_RSRC_LOCKED, "VI_ERROR_RSRC_LOCKED",
     "Specified type of lock cannot be obtained, or specified operation cannot be performed, "
     "because the resource is locked."},
    {VI_ERROR_INV_EXPR, "VI_ERROR_INV_EXPR", "Invalid expression specified for search."},
    {VI_ERROR_RSRC_NFOUND, "VI_ERROR_RSRC_NFOUND",
     "Insufficient location information or the requested device or resource is not present in "
     "the system."},
    {VI_ERROR_INV_RSRC_NAME, "VI_ERROR_INV_RSRC_NAME",
     "Invalid resource reference specified. Parsing error."},
    {VI_ERROR_INV_ACC_MODE, "VI_ERROR_INV_ACC_MODE", "Invalid access mode."},
    {VI_ERROR_TMO, "VI_ERROR_TMO", "Timeout expired before operation completed."},
    {VI_ERROR_CLOSING_FAILED, "VI_ERROR_CLOSING_FAILED",
     "Unable to deallocate the previously allocated data structures corresponding to this "
     "session or object reference."},
    {VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR",
     "The specified attribute is not defined or supported by the referenced session, event, or "
     "find list."},
    {VI_ERROR_NSUP_ATTR_STATE, "VI_ERROR_NSUP_ATTR_STATE",
     "The specified state of the attribute is not valid, or is not supported as defined by the "
     "session, event, or find list."},
    {VI_ERROR_ATTR_READONLY, "VI_ERROR_ATTR_READONLY", "The specified attribute is read-only."},
    {VI_ERROR_OUTP_PROT_VIOL, "VI_ERROR_OUTP_PROT_VIOL",
     "Device reported an output protocol error during transfer."},
    {VI_ERROR_INP_PROT_VIOL, "VI_ERROR_INP_PROT_VIOL",
     "Device reported an input protocol error during transfer."},
    {VI_ERROR_INV_SETUP, "VI_ERROR_INV_SETUP",
     "Unable to start operation because setup is invalid (for a USB instrument: no permission "
     "to open /dev/usbtmc*; install the udev rule shipped with this program)."},
    {VI_ERROR_ALLOC, "VI_ERROR_ALLOC",
     "Insufficient system resources to perform necessary memory allocation."},
    {VI_ERROR_IO, "VI_ERROR_IO", "Could not perform operation because of I/O error."},
    {VI_ERROR_NSUP_MODE, "VI_ERROR_NSUP_MODE",
     "The specified mode is not supported by this VISA implementation."},
    {VI_ERROR_NLISTENERS, "VI_ERROR_NLISTENERS",
     "No listeners condition is detected (both NRFD and NDAC are deasserted)."},
    {VI_ERROR_NCIC, "VI_ERROR_NCIC",
     "The interface associated with this session is not currently the controller in charge."},
    {VI_ERROR_NSUP_OPER, "VI_ERROR_NSUP_OPER",
     "The given session or object reference does not support this operation."},
    {VI_ERROR_USER_BUF, "VI_ERROR_USER_BUF",
     "A specified user buffer is not valid or cannot be accessed for the required size."},
    {VI_ERROR_RSRC_BUSY, "VI_ERROR_RSRC_BUSY",
     "The resource is valid, but VISA cannot currently access it (another program may hold "
     "it)."},
    {VI_ERROR_INV_PARAMETER, "VI_ERROR_INV_PARAMETER",
     "The value of some parameter (which parameter is not known) is invalid."},
    {VI_ERROR_INV_MODE, "VI_ERROR_INV_MODE", "The value specified by the mode parameter is invalid."},
    {VI_ERROR_LIBRARY_NFOUND, "VI_ERROR_LIBRARY_NFOUND",
     "A code library required by VISA could not be located or loaded."},
    {VI_ERROR_CONN_LOST, "VI_ERROR_CONN_LOST", "The connection for the given session has been lost."},
};

}  // namespace

const char* StatusText(ViStatus status) {
  for (const Entry& e : kEntries) {
    if (e.status == status) return e.text;
  }
  return nullptr;
}

std::string StatusDescription(ViStatus status) {
  for (const Entry& e : kEntries) {
    if (e.status == status) {
      std::string text = std::string(e.name) + ": " + e.text;
      if (text.size() > VI_FIND_BUFLEN - 1) text.resize(VI_FIND_BUFLEN - 1);
      return text;
    }
  }
  return {};
}

}  // namespace zc::visa
