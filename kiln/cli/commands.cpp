#include "kiln/cli/command.h"
#include "kiln/cli/command_groups.h"
#include "kiln/cli/image_commands.h"
#include "kiln/cli/sound_commands.h"

namespace KilnCli {

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
        {"seal", "seal KEY          seal standard input's bytes under KEY; prints the sealed text", RunSeal},
        {"unseal", "unseal KEY        unseal the text on standard input (one final line end is ignored);\n"
                   "                         writes the plain bytes, fails when the key or text is wrong",
         RunUnseal},
        {"crc32", "crc32 FILE...     CRC-32 of each file", RunCrc32},
        {"md5", "md5 FILE...       MD5 of each file", RunMd5},
        {"sha1", "sha1 FILE...      SHA-1 of each file", RunSha1},
        {"compress", "compress --zlib|--lzma IN OUT", RunCompress},
        {"uncompress", "uncompress --zlib|--lzma IN OUT", RunUncompress},
        {"oauth-header",
         "oauth-header --url URL --consumer-key K --consumer-secret S [--token T --token-secret TS]\n"
         "                         [--param NAME=VALUE]... [--timestamp SECONDS]\n"
         "                         the OAuth header text of a signed GET request",
         RunOAuthHeader},
        {"updateinfo",
         "updateinfo line VERSION FLAG PATCHFILE\n"
         "                         the update-information entry \"VERSION,MD5,FLAG,NAME\" for a patch file\n"
         "                         updateinfo check INFOFILE --installed VERSION [--prefix PATTERN] [--public-key KEY]\n"
         "                         the patch the launcher would fetch next, or why none; with KEY, INFOFILE.sig\n"
         "                         must verify and the file must not have expired (its serial is shown)",
         RunUpdateInfo},
        {"check",
         "check GAMEDIR [--json] [--strict]\n"
         "                         reads a game folder as the launcher does and reports each problem as\n"
         "                         \"error|warning|note: WHERE: WHAT\"; exits with 1 when there is an error\n"
         "                         (with --strict, also when there is a warning)",
         RunCheck},
        {"keygen", "keygen SECRETFILE  make a signing key pair: the secret into SECRETFILE (never replaced),\n"
                   "                         the public key printed for System.ini [Updater] UpdatePublicKey",
         RunKeyGen},
        {"sign",
         "sign SECRETFILE FILE [--serial N] [--expires DAYS]\n"
         "                         write FILE.sig, FILE's Ed25519 signature; update information first gets\n"
         "                         its serial (default: the time in UTC seconds) and expiry after an empty line",
         RunSign},
        {"verify",
         "verify PUBLICKEY FILE  check FILE.sig against FILE; prints \"good\" (and update information's\n"
         "                         serial and expiry; an expired file fails)",
         RunVerify},
        {"patch",
         "patch build OLD NEW OUT.exe [--stub FILE] [--level 1-19]\n"
         "                         a patch program from two versions of a game folder; prints its\n"
         "                         update-information line (leaves out Game.ini, key files and what\n"
         "                         NEW/.kilnignore lists; the code it starts with: kiln-patch-stub.exe\n"
         "                         beside kiln, or --stub)\n"
         "                         patch info OUT.exe     what a patch program holds\n"
         "                         patch check OUT.exe GAMEDIR  would it apply to this game folder?\n"
         "                         patch apply OUT.exe GAMEDIR  apply it as the patch program does (exit 2:\n"
         "                         not the version or files it was built for); both say \"already at\n"
         "                         VERSION\" and exit with 0 when the folder holds the new version",
         RunPatch},
        {"publish",
         "publish OLD NEW OUTDIR [--secret SECRETFILE] [--expires DAYS] [--stub FILE] [--level 1-19]\n"
         "                         checks NEW, builds the patch named by its System.ini into OUTDIR, puts\n"
         "                         its entry into OUTDIR's update information, signs it with the next\n"
         "                         serial when UpdatePublicKey is set, checks all as the launcher reads it\n"
         "                         and lists what to upload to every BaseURL",
         RunPublish},
        {"image", "image info FILE | image decode FILE --out RAW | image dds FILE OUT.dds", RunImage},
        {"sound", "sound info FILE", RunSound},
    };
    return commands;
}

}  // namespace KilnCli
