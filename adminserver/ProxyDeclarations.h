/* Included before the generated proxy code. Its table of IServiceAdmin's methods begins with
   rpcrt4's proxies of IUnknown's three methods, which MinGW's unknwn.h declares for C++ only. */
#include <objbase.h>

HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid,
                                                        void** ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);
