<#
.SYNOPSIS
Checks whether Zelqa QEL Display shows pictures on this PC's tablets.

.DESCRIPTION
Runs "qeldsvc.exe /status /json" and reads the health it reports. Writes one
line, the state and its reasons, and exits 0 when the slideshow is healthy
and 1 when it is not (degraded, failed or not running), so that a fleet tool
can run it as it is: as the detection script of an Intune remediation, or as
the check of a monitoring agent.

.PARAMETER Program
The full path of qeldsvc.exe; by default the installed one.

.PARAMETER AllowDegraded
Counts "degraded" (something is wrong, but at least one tablet shows
pictures) as healthy.
#>
[CmdletBinding()]
param(
    [string]$Program = '',
    [switch]$AllowDegraded
)

if (-not $Program) {
    # The 64-bit Program Files folder, also from a 32-bit PowerShell.
    $programFiles = if ($env:ProgramW6432) { $env:ProgramW6432 } else { $env:ProgramFiles }
    $Program = Join-Path $programFiles 'Zelqa\QEL Display\qeldsvc.exe'
}
if (-not (Test-Path -LiteralPath $Program)) {
    Write-Output "QEL Display is not installed: $Program is missing."
    exit 1
}

# The program writes UTF-8; folder names may hold any character.
[Console]::OutputEncoding = [System.Text.Encoding]::UTF8
$output = (& $Program /status /json) -join "`n"
$exitCode = $LASTEXITCODE
try {
    $status = $output | ConvertFrom-Json -ErrorAction Stop
} catch {
    Write-Output "QEL Display gave no readable status (exit code $exitCode): $output"
    exit 1
}

$state = $status.health.state
$reasons = @($status.health.reasons) -join ' '
if ($state -eq 'healthy' -or ($AllowDegraded -and $state -eq 'degraded')) {
    Write-Output ("QEL Display is $state. $reasons".Trim())
    exit 0
}
Write-Output "QEL Display is $state (exit code $exitCode): $reasons"
exit 1
