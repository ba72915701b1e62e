# shellcheck shell=bash
# A settings file of 100 MB, made here as it is too large to keep: the settings at its
# start, then one line of filler that runs to the end.
{ printf '[autorun]\r\nAppKey=Software\\KovaTest\\Missing\r\nSetupName=setup.exe /huge\r\n'
  head -c 104857600 /dev/zero | tr '\0' 'A'; } >autorun.inf
