# shellcheck shell=bash
# "autorun.inf" is a directory, and a settings file inside it names a setup program.
mkdir autorun.inf
printf 'AppKey=Software\\KovaTest\\Missing\r\nSetupName=setup.exe /directory\r\n' >autorun.inf/autorun.inf
