-- A new position or development-work request; returns the stored row.
-- The development-work table of the deals document has no b_okr column, so
-- its rows bind it as null; the positions table always carries it (false for
-- a new position, and the editor may mark a position true for display only).
insert into jur.t_deal_details (id_deal, b_okr, id_item, c_name, c_url, c_description, c_problems, n_qty,
                                id_meas_unit, n_cost, n_cost_add, n_sale_price, b_add_nds, id_vat,
                                d_execution, b_ready_to_ship)
values ( :id_deal , ( :b_okr is null), :id_item , :c_name , :c_url , :c_description , :c_problems ,
        :n_qty , :id_meas_unit , :n_cost , :n_cost_add , :n_sale_price , coalesce( :b_add_nds , false),
        :id_vat , :d_execution , coalesce( :b_ready_to_ship , false))
returning c_url, c_name, n_qty, d_execution, n_cost, n_sale_price, cast(0 as double precision) as n_qty_shipped,
          id, id_deal, id_item, c_description, id_meas_unit, n_cost_add, b_add_nds, id_vat, b_okr, c_problems,
          b_ready_to_ship, n_row_version
