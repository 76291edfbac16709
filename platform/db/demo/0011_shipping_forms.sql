-- Demo shipping sheets: how the warehouse packed what went out, sheets for
-- the deals that wait for shipment which nobody has linked yet (some of them
-- cancelled, one kept out of linking), and the packing list of every sheet.
-- Generated from a fixed seed, so every new database looks the same.

do $$
declare
    v_deal record;
    v_sheet bigint;
    v_number integer := 7000;
    i integer := 0;
begin
    perform setseed(0.1105);

    -- The linked sheets ship from their deal's division.
    update inv.t_shipping_sheet sh
       set id_division = d.id_division
      from jur.t_deal_link l
      join jur.t_deals d on d.id = l.id_deal
     where l.id_sheet = sh.id;

    -- Deals waiting for shipment (and a few in work): the warehouse has sent
    -- part of them out, the sheets are not linked to the deals yet.
    for v_deal in
        select d.id, d.id_division, d.id_contractor, c.c_name as c_receiver, d.d_create
          from jur.t_deals d
          join jur.t_contractor c on c.id = d.id_contractor
         where d.id_state in (2, 3)
           and exists (select 1 from jur.t_deal_details x where x.id_deal = d.id and not x.b_okr and x.id_item is not null)
         order by d.id_state desc, d.id
         limit 26
    loop
        i := i + 1;
        v_number := v_number + 1 + floor(random() * 4)::integer;
        insert into inv.t_shipping_sheet (c_name, c_receiver, d_date, b_is_revert, b_block_deal_link, id_division)
        values ('Накладная № ' || v_number, v_deal.c_receiver,
                least(current_date, (v_deal.d_create + make_interval(days => 5 + (random() * 30)::integer))::date),
                i % 9 = 4,  -- now and then the shipment was cancelled
                i = 6,      -- a sample the warehouse keeps out of linking
                v_deal.id_division)
        returning id into v_sheet;
        insert into inv.t_shipping_sheet_item (id_sheet, id_item, n_qty)
        select v_sheet, x.id_item,
               case when random() < 0.7 then x.n_qty else greatest(1, floor(x.n_qty / 2)) end
          from jur.t_deal_details x
         where x.id_deal = v_deal.id and not x.b_okr and x.id_item is not null
           and (random() < 0.8 or x.id = (select min(y.id) from jur.t_deal_details y
                                           where y.id_deal = v_deal.id and not y.b_okr and y.id_item is not null));
    end loop;

    -- Packages and gross weights of every line: a few pieces go one or a
    -- couple to a box, dozens many to a box; each box weighs some 400 g of its own.
    update inv.t_shipping_sheet_item si
       set n_places = greatest(1, ceil(si.n_qty / case when si.n_qty >= 20
                                                       then (array[10, 20, 50])[1 + floor(random() * 3)::integer]
                                                       else (array[1, 2, 5])[1 + floor(random() * 3)::integer] end))::integer;
    update inv.t_shipping_sheet_item si
       set n_weight = round((si.n_qty * (0.01 + random() * 0.8) + si.n_places * 0.4)::numeric, 1)::double precision;

    -- Sheets from before the divisions were recorded ship from the default one.
    update inv.t_shipping_sheet
       set id_division = (select dv.id from sys.t_division dv where dv.b_default order by dv.id limit 1)
     where id_division is null;
end
$$;

-- Every sheet prints its packing list.
update inv.t_shipping_sheet set c_form = inv.c_packing_list(id);
