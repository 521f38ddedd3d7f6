/*
 * The VISA I/O library's C interface, as far as this project offers it.
 *
 * Types, signatures and numeric values follow the published VISA standard, so a program written
 * against this header also builds against a vendor's VISA library. Only the operations, status
 * values and attributes this library implements are declared.
 */
#ifndef ZC_VISA_H
#define ZC_VISA_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Types ------------------------------------------------------------------------------- */

typedef unsigned int ViUInt32;
typedef signed int ViInt32;
typedef unsigned short ViUInt16;
typedef signed short ViInt16;
typedef unsigned char ViUInt8;
typedef signed char ViInt8;
typedef unsigned long long ViUInt64;
typedef char ViChar;
typedef unsigned char ViByte;
typedef ViUInt16 ViBoolean;
typedef void* ViAddr;

typedef ViUInt32* ViPUInt32;
typedef ViUInt16* ViPUInt16;
typedef ViChar* ViPChar;
typedef ViByte* ViPByte;
typedef ViByte* ViBuf;
typedef ViByte* ViPBuf;
typedef const ViByte* ViConstBuf;
typedef ViChar* ViString;
typedef const ViChar* ViConstString;
typedef ViString ViRsrc;
typedef ViConstString ViConstRsrc;

typedef ViInt32 ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViObject ViFindList;
typedef ViSession* ViPSession;
typedef ViFindList* ViPFindList;
typedef ViUInt32 ViAttr;
typedef ViUInt64 ViAttrState; /* 64-bit platforms carry attribute values in 64 bits */
typedef ViUInt32 ViAccessMode;

#define VI_NULL 0
#define VI_TRUE ((ViBoolean)1)
#define VI_FALSE ((ViBoolean)0)
#define VI_FIND_BUFLEN 256

#define VI_TMO_IMMEDIATE 0UL
#define VI_TMO_INFINITE 0xFFFFFFFFUL
#define VI_NO_LOCK 0UL
#define VI_EXCLUSIVE_LOCK 1UL
#define VI_SHARED_LOCK 2UL
#define VI_LOAD_CONFIG 4UL
#define VI_NO_SEC_ADDR 0xFFFF

#define VI_INTF_GPIB 1
#define VI_INTF_TCPIP 6
#define VI_INTF_USB 7

#define VI_GPIB_REN_DEASSERT 0
#define VI_GPIB_REN_ASSERT 1
#define VI_GPIB_REN_DEASSERT_GTL 2
#define VI_GPIB_REN_ASSERT_ADDRESS 3
#define VI_GPIB_REN_ASSERT_LLO 4
#define VI_GPIB_REN_ASSERT_ADDRESS_LLO 5
#define VI_GPIB_REN_ADDRESS_GTL 6

/* ---- Completion and error codes ---------------------------------------------------------- */

#define _VI_ERROR (-2147483647L - 1)
#define VI_SUCCESS 0L
#define VI_SUCCESS_TERM_CHAR 0x3FFF0005L
#define VI_SUCCESS_MAX_CNT 0x3FFF0006L
#define VI_WARN_NULL_OBJECT 0x3FFF0082L
#define VI_WARN_NSUP_ATTR_STATE 0x3FFF0084L
#define VI_WARN_UNKNOWN_STATUS 0x3FFF0085L

#define VI_ERROR_SYSTEM_ERROR (_VI_ERROR + 0x3FFF0000L)
#define VI_ERROR_INV_OBJECT (_VI_ERROR + 0x3FFF000EL)
#define VI_ERROR_RSRC_LOCKED (_VI_ERROR + 0x3FFF000FL)
#define VI_ERROR_INV_EXPR (_VI_ERROR + 0x3FFF0010L)
#define VI_ERROR_RSRC_NFOUND (_VI_ERROR + 0x3FFF0011L)
#define VI_ERROR_INV_RSRC_NAME (_VI_ERROR + 0x3FFF0012L)
#define VI_ERROR_INV_ACC_MODE (_VI_ERROR + 0x3FFF0013L)
#define VI_ERROR_TMO (_VI_ERROR + 0x3FFF0015L)
#define VI_ERROR_CLOSING_FAILED (_VI_ERROR + 0x3FFF0016L)
#define VI_ERROR_NSUP_ATTR (_VI_ERROR + 0x3FFF001DL)
#define VI_ERROR_NSUP_ATTR_STATE (_VI_ERROR + 0x3FFF001EL)
#define VI_ERROR_ATTR_READONLY (_VI_ERROR + 0x3FFF001FL)
#define VI_ERROR_OUTP_PROT_VIOL (_VI_ERROR + 0x3FFF0036L)
#define VI_ERROR_INP_PROT_VIOL (_VI_ERROR + 0x3FFF0037L)
#define VI_ERROR_INV_SETUP (_VI_ERROR + 0x3FFF003AL)
#define VI_ERROR_ALLOC (_VI_ERROR + 0x3FFF003CL)
#define VI_ERROR_IO (_VI_ERROR + 0x3FFF003EL)
#define VI_ERROR_NSUP_MODE (_VI_ERROR + 0x3FFF0046L)
#define VI_ERROR_NLISTENERS (_VI_ERROR + 0x3FFF005FL)
#define VI_ERROR_NCIC (_VI_ERROR + 0x3FFF0060L)
#define VI_ERROR_NSUP_OPER (_VI_ERROR + 0x3FFF0067L)
#define VI_ERROR_USER_BUF (_VI_ERROR + 0x3FFF0071L)
#define VI_ERROR_RSRC_BUSY (_VI_ERROR + 0x3FFF0072L)
#define VI_ERROR_INV_PARAMETER (_VI_ERROR + 0x3FFF0078L)
#define VI_ERROR_INV_MODE (_VI_ERROR + 0x3FFF0091L)
#define VI_ERROR_LIBRARY_NFOUND (_VI_ERROR + 0x3FFF009EL)
#define VI_ERROR_CONN_LOST (_VI_ERROR + 0x3FFF00A6L)

/* ---- Attributes -------------------------------------------------------------------------- */

#define VI_ATTR_RSRC_CLASS 0xBFFF0001UL
#define VI_ATTR_RSRC_NAME 0xBFFF0002UL
#define VI_ATTR_SEND_END_EN 0x3FFF0016UL
#define VI_ATTR_TERMCHAR 0x3FFF0018UL
#define VI_ATTR_TMO_VALUE 0x3FFF001AUL
#define VI_ATTR_TERMCHAR_EN 0x3FFF0038UL
#define VI_ATTR_MANF_ID 0x3FFF00D9UL
#define VI_ATTR_MODEL_CODE 0x3FFF00DFUL
#define VI_ATTR_INTF_TYPE 0x3FFF0171UL
#define VI_ATTR_GPIB_PRIMARY_ADDR 0x3FFF0172UL
#define VI_ATTR_GPIB_SECONDARY_ADDR 0x3FFF0173UL
#define VI_ATTR_INTF_NUM 0x3FFF0176UL
#define VI_ATTR_TCPIP_ADDR 0xBFFF0195UL
#define VI_ATTR_TCPIP_PORT 0x3FFF0197UL
#define VI_ATTR_USB_SERIAL_NUM 0xBFFF01A0UL
#define VI_ATTR_USB_INTFC_NUM 0x3FFF01A1UL

/* ---- Operations -------------------------------------------------------------------------- */

ViStatus viOpenDefaultRM(ViPSession vi);
ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                    ViChar desc[]);
ViStatus viFindNext(ViFindList vi, ViChar desc[]);
ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                ViPSession vi);
ViStatus viClose(ViObject vi);
ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue);
ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void* attrValue);
ViStatus viStatusDesc(ViObject vi, ViStatus status, ViChar desc[]);
ViStatus viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
ViStatus viClear(ViSession vi);
ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode);

#ifdef __cplusplus
}
#endif

#endif /* ZC_VISA_H */
