@echo off
rem The ReactOS stage's guest side, called at logon with the data disk's drive as %1. What each
rem run of vernix.exe printed, its exit status, its report and the registry afterwards go to
rem %1\vxguest\out for the host to check (tests/reactos/stage.py); the last step says
rem "vxguest: done" on COM1, and the host ends the machine. Every wait here is bounded by the
rem tools' --timeout-ms.
cd /d %1\vxguest
mkdir out
hostname > out\hostname.txt
set BOX=start /b vxbox.exe --caption "VERNIX - System Information Utility" --timeout-ms 120000
set KEYS=vxkeys.exe --timeout-ms 120000 --key-timeout-ms 30000
set HIDDEN=vxstation.exe --timeout-ms 120000

rem One card registered, nothing stored: taken without a prompt, stored, announced in a box.
vxcard.exe cards 1 > out\cards1.txt 2>&1
vxcard.exe devices > out\devices0.txt
%BOX% > out\one.box
%KEYS% --log out\one.log -- vernix.exe > out\one.out 2> out\one.err
echo %errorlevel% > out\one.status
call :finish one

rem All three cards: a person at the console chooses entry 2, and the next run offers it.
vxcard.exe cards 3 > out\cards3.txt 2>&1
%BOX% > out\three.box
%KEYS% --log out\three.log --keys 2 -- vernix.exe > out\three.out 2> out\three.err
echo %errorlevel% > out\three.status
call :finish three
%BOX% > out\again.box
%KEYS% --log out\again.log --keys Enter -- vernix.exe > out\again.out 2> out\again.err
echo %errorlevel% > out\again.status
call :finish again

rem Nobody watching: a window station nobody sees, then this desktop without a console.
%HIDDEN% -- vernix.exe -d > out\hidden.out 2> out\hidden.err
echo %errorlevel% > out\hidden.status
call :finish hidden
vxcard.exe devices > out\devices1.txt
%BOX% > out\detached.box
%HIDDEN% --no-console -- vernix.exe < nul > out\detached.out 2> out\detached.err
echo %errorlevel% > out\detached.status
call :finish detached

rem The last card's DOS name defined by someone else before the run.
for /f "tokens=2" %%g in (out\cards3.txt) do set LAST=%%g
vxcard.exe define %LAST%
vxcard.exe devices > out\devices2.txt
%HIDDEN% -- vernix.exe -d > out\defined.out 2> out\defined.err
echo %errorlevel% > out\defined.status
call :finish defined
vxcard.exe device %LAST% > out\last.txt
vxcard.exe devices > out\devices3.txt
vxcard.exe done %1
goto :eof

rem A run's report, moved into out\RUN\, and the stored choice afterwards.
:finish
mkdir out\%1
move vernix_*.txt out\%1\ > nul
reg query HKLM\SOFTWARE\Orlenk\Quarvel > out\%1.stored
goto :eof
