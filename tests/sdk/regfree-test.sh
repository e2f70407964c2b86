#!/usr/bin/env bash
# Registration-free use, as the SDK's redist/ folder describes it: the DLL and its generated
# assembly manifest in an application's folder, and the application's manifest naming the
# assembly. The registered library of the build stays registered, so the client proves the
# manifest was used by the folder its library object was loaded from.
# Usage: regfree-test.sh <build-dir> <client.exe>
set -euo pipefail
build=$(cd "$1" && pwd); client=$2
app=$(mktemp -d "$build/regfree.XXXXXX")
trap 'rm -rf "$app"' EXIT
cp "$build/Morvel10.dll" "$build/sdk/redist/Morvel10.manifest" "$client" "$app/"
architecture=$(sed -n 's/.*<assemblyIdentity[^>]*processorArchitecture="\([^"]*\)".*/\1/p' "$app/Morvel10.manifest")
version=$(sed -n 's/.*<assemblyIdentity[^>]*version="\([^"]*\)".*/\1/p' "$app/Morvel10.manifest")
cat >"$app/RegFreeClient.exe.manifest" <<MANIFEST
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="RegFreeClient" version="1.0.0.0" processorArchitecture="$architecture"/>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Morvel10" version="$version" processorArchitecture="$architecture"/>
    </dependentAssembly>
  </dependency>
</assembly>
MANIFEST
out=$("$build/wine-run.sh" "$app/RegFreeClient.exe" </dev/null | tr -d '\r')
echo "$out"
folder="Z:${app//\//\\}"
grep -qxF "library folder: $folder" <<<"$out" && echo "the library came from the application's folder, through its manifest"
