#!/usr/bin/env python3
"""An independent Modbus RTU slave for the end-to-end tests of zentor-cli.

Serves holding registers 0..199 at one slave address on a serial port (one end of a socat
pair), seeded with value = 1000 + register unless --set REG=VALUE says otherwise. Requests
to any other address get no answer. Prints "ready" once the port is open.
"""
import argparse
import asyncio
import logging
import sys

from pymodbus.datastore import ModbusSequentialDataBlock, ModbusServerContext, ModbusSlaveContext
from pymodbus.server.async_io import ModbusSerialServer
from pymodbus.transaction import ModbusRtuFramer


def seeded(sets):
    values = [1000 + r for r in range(200)]
    for item in sets:
        reg, value = item.split("=")
        values[int(reg, 0)] = int(value, 0) & 0xFFFF
    return values


async def serve(args):
    block = ModbusSequentialDataBlock(0, seeded(args.set))
    # zero_mode: register 0 on the wire is entry 0 of the block.
    store = ModbusSlaveContext(hr=block, zero_mode=True)
    context = ModbusServerContext(slaves={args.slave: store}, single=False)
    server = ModbusSerialServer(
        context,
        framer=ModbusRtuFramer,
        port=args.port,
        baudrate=args.baud,
        bytesize=8,
        parity="N",
        stopbits=1,
        timeout=0.005,
        ignore_missing_slaves=True,
    )
    await server.start()
    if server.transport is None:
        print("cannot open " + args.port, file=sys.stderr, flush=True)
        sys.exit(1)
    print("ready", flush=True)
    await server.serve_forever()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", required=True)
    parser.add_argument("--slave", type=int, default=100)
    parser.add_argument("--baud", type=int, default=115200)
    parser.add_argument("--set", action="append", default=[])
    args = parser.parse_args()
    logging.basicConfig(level=logging.CRITICAL)
    try:
        asyncio.run(serve(args))
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
