// SPDX-License-Identifier: Apache-2.0
// A host that loads a library by name casts each symbol to the header's PFN_ type; a type that
// drifted from the declaration would call the function with the wrong arguments.
#include <type_traits>

#include "torv_vesk_client.h"
#include "torvc_pdf417.h"

#define TORV_SAME_TYPE(pointerType, function) \
  static_assert(std::is_same<decltype(&function), pointerType>::value, #pointerType " differs from " #function)

TORV_SAME_TYPE(PFN_TorvVeskClient_create, TorvVeskClient_create);
TORV_SAME_TYPE(PFN_TorvVeskClient_destroy, TorvVeskClient_destroy);
TORV_SAME_TYPE(PFN_TorvVeskClient_createSecureInputStream, TorvVeskClient_createSecureInputStream);
TORV_SAME_TYPE(PFN_TorvVeskClient_createSecureOutputStream, TorvVeskClient_createSecureOutputStream);
TORV_SAME_TYPE(PFN_TorvVeskClient_readByte, TorvVeskClient_readByte);
TORV_SAME_TYPE(PFN_TorvVeskClient_readBArray, TorvVeskClient_readBArray);
TORV_SAME_TYPE(PFN_TorvVeskClient_available, TorvVeskClient_available);
TORV_SAME_TYPE(PFN_TorvVeskClient_readClose, TorvVeskClient_readClose);
TORV_SAME_TYPE(PFN_TorvVeskClient_writeByte, TorvVeskClient_writeByte);
TORV_SAME_TYPE(PFN_TorvVeskClient_writeBArray, TorvVeskClient_writeBArray);
TORV_SAME_TYPE(PFN_TorvVeskClient_flush, TorvVeskClient_flush);
TORV_SAME_TYPE(PFN_TorvVeskClient_WriteClose, TorvVeskClient_WriteClose);
TORV_SAME_TYPE(PFN_TorvVeskClient_getLastErrorMessage, TorvVeskClient_getLastErrorMessage);
TORV_SAME_TYPE(PFN_TorvVeskClient_free_memory, TorvVeskClient_free_memory);

TORV_SAME_TYPE(PFN_TorvcPdf417_GetNewInstance, GetNewInstance);
TORV_SAME_TYPE(PFN_TorvcPdf417_GetCopyInstance, GetCopyInstance);
TORV_SAME_TYPE(PFN_TorvcPdf417_DeleteInstance, DeleteInstance);
TORV_SAME_TYPE(PFN_TorvcPdf417_getAttrListLength, getAttrListLength);
TORV_SAME_TYPE(PFN_TorvcPdf417_getAttrList, getAttrList);
TORV_SAME_TYPE(PFN_TorvcPdf417_getAttrLength, getAttrLength);
TORV_SAME_TYPE(PFN_TorvcPdf417_getAttr, getAttr);
TORV_SAME_TYPE(PFN_TorvcPdf417_setAttr, setAttr);
TORV_SAME_TYPE(PFN_TorvcPdf417_writeMe, writeMe);
TORV_SAME_TYPE(PFN_TorvcPdf417_readMe, readMe);
TORV_SAME_TYPE(PFN_TorvcPdf417_getAutosize, getAutosize);
TORV_SAME_TYPE(PFN_TorvcPdf417_paint, paint);
TORV_SAME_TYPE(PFN_TorvcPdf417_print, print);
