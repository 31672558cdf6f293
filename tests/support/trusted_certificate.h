#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>

namespace KilnTest {

// The server's certificate among the prefix's trusted roots, as an installed CA would be,
// for the life of the object. The store keeps a change only once it is closed.
class TrustedCertificate {
public:
    explicit TrustedCertificate(const std::string& der)
    {
        HCERTSTORE store = OpenRoots();
        PCCERT_CONTEXT added = nullptr;
        if (store && ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                        reinterpret_cast<const BYTE*>(der.data()),
                                                        static_cast<DWORD>(der.size()),
                                                        CERT_STORE_ADD_REPLACE_EXISTING, &added)) {
            hash_.cbData = sizeof hashBytes_;
            hash_.pbData = hashBytes_;
            if (!::CertGetCertificateContextProperty(added, CERT_HASH_PROP_ID, hashBytes_, &hash_.cbData))
                hash_.cbData = 0;
            ::CertFreeCertificateContext(added);
        }
        if (store)
            ::CertCloseStore(store, 0);
    }
    ~TrustedCertificate()
    {
        if (!Added())
            return;
        HCERTSTORE store = OpenRoots();
        if (!store)
            return;
        if (PCCERT_CONTEXT found =
                ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &hash_, nullptr))
            ::CertDeleteCertificateFromStore(found);
        ::CertCloseStore(store, 0);
    }
    TrustedCertificate(const TrustedCertificate&) = delete;
    TrustedCertificate& operator=(const TrustedCertificate&) = delete;
    bool Added() const { return hash_.cbData != 0; }

private:
    // The registry store itself: a deletion through the system store's collection is not kept.
    static HCERTSTORE OpenRoots()
    {
        return ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
    }

    BYTE hashBytes_[20] = {};
    CRYPT_HASH_BLOB hash_ = {};
};

}  // namespace KilnTest
