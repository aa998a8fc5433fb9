#!/usr/bin/env bash
# Installs the Debian 12 packages PoolDesk builds, tests and runs with, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-declarative-dev libgl-dev
  libcurl4-openssl-dev libssl-dev libcpp-httplib-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei
  g++-mingw-w64-x86-64
  clang-format
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
